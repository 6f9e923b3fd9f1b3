#!/usr/bin/env python3
"""What the tests ask of a desktop over its session bus, run as the test user
inside the desktop's session (the bus lets in no other user). Reads one
request a line on stdin and answers "ok [words]" or "error why" on stdout:

  kwin-shot OUTPUT PATH       the output's picture as a binary PPM (KWin)
  mutter-shot MONITOR PATH    the monitor's picture as a PNG, through a screen cast (Mutter)
  kwin-input SOCKET           input for the keys and moves below: fake input (KWin lets
                              only a process it can name have it: ours, not the tests')
  mutter-input                the same from a remote-desktop session (Mutter)
  key KEYCODE                 presses and releases an evdev key
  move DX DY                  moves the pointer by (DX, DY)
  inhibit FLAGS               owns org.gnome.SessionManager, saying FLAGS are inhibited
"""
import os
import subprocess
import sys
import time

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib
from wire_clients import FakeInput

MUTTER_CAST = "org.gnome.Mutter.ScreenCast"
MUTTER_DESKTOP = "org.gnome.Mutter.RemoteDesktop"


def pump(done, timeout):
    """Runs the bus's events until done() or the timeout; whether done."""
    context, end = GLib.MainContext.default(), time.monotonic() + timeout
    while not done() and time.monotonic() < end:
        context.iteration(False) or time.sleep(0.01)
    return done()


class SessionManager(dbus.service.Object):
    """The part of GNOME's session manager a screen saver asks about."""

    def __init__(self, bus, flags):
        self.flags = flags
        self.name = dbus.service.BusName("org.gnome.SessionManager", bus)
        super().__init__(bus, "/org/gnome/SessionManager")

    @dbus.service.method("org.gnome.SessionManager", in_signature="u", out_signature="b")
    def IsInhibited(self, flags):  # noqa: N802 (the bus's name)
        return bool(self.flags & flags)


class RemoteDesktop:
    """Input through a remote-desktop session of Mutter's."""

    def __init__(self, bus):
        desktop = dbus.Interface(bus.get_object(MUTTER_DESKTOP, "/org/gnome/Mutter/RemoteDesktop"), MUTTER_DESKTOP)
        path = desktop.CreateSession()
        self.session = dbus.Interface(bus.get_object(MUTTER_DESKTOP, path), MUTTER_DESKTOP + ".Session")
        self.session.Start()
        pump(lambda: False, 0.5)  # the session's devices are made meanwhile

    def key(self, code):
        # Held as long as a hand holds it: the session's keyboard comes to
        # the seat with its first key, which clients then see held.
        self.session.NotifyKeyboardKeycode(dbus.UInt32(code), True)
        pump(lambda: False, 0.2)
        self.session.NotifyKeyboardKeycode(dbus.UInt32(code), False)

    def move(self, dx, dy):
        self.session.NotifyPointerMotionRelative(float(dx), float(dy))


class Agent:
    def __init__(self):
        self.bus = dbus.SessionBus()
        self.input = None
        self.manager = None

    def interface(self, service, path, name):
        return dbus.Interface(self.bus.get_object(service, path), name)

    def kwin_shot(self, output, path):
        shots = self.interface("org.kde.KWin.ScreenShot2", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2")
        read, write = os.pipe()
        try:
            info = shots.CaptureScreen(output, {"native-resolution": True}, dbus.types.UnixFd(write))
        finally:
            os.close(write)
        with os.fdopen(read, "rb") as pipe:
            raw = pipe.read()
        width, height, stride = int(info["width"]), int(info["height"]), int(info["stride"])
        rows = b"".join(raw[y * stride:y * stride + width * 4] for y in range(height))
        rgb = bytearray(width * height * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = rows[2::4], rows[1::4], rows[0::4]  # BGRA in memory
        with open(path, "wb") as out:
            out.write(b"P6 %d %d 255\n" % (width, height) + rgb)
        return ""

    def mutter_shot(self, monitor, path):
        cast = self.interface(MUTTER_CAST, "/org/gnome/Mutter/ScreenCast", MUTTER_CAST)
        session_path = cast.CreateSession({})
        session = self.interface(MUTTER_CAST, session_path, MUTTER_CAST + ".Session")
        stream = session.RecordMonitor(monitor, {})
        nodes = []
        self.bus.add_signal_receiver(nodes.append, "PipeWireStreamAdded", MUTTER_CAST + ".Stream", path=stream)
        session.Start()
        try:
            if not pump(lambda: nodes, 10):
                return "error no screen-cast stream came"
            done = subprocess.run(["gst-launch-1.0", "-q", "pipewiresrc", "path=%d" % nodes[0], "num-buffers=1",
                                   "!", "videoconvert", "!", "pngenc", "!", "filesink", "location=" + path],
                                  capture_output=True, timeout=30)
            if done.returncode:
                return "error gst-launch-1.0: " + done.stderr.decode(errors="replace").replace("\n", " ")
        finally:
            session.Stop()
        return ""

    def kwin_input(self, socket_path):
        self.input = FakeInput(socket_path)
        return ""

    def mutter_input(self):
        self.input = RemoteDesktop(self.bus)
        return ""

    def key(self, code):
        self.input.key(int(code))
        return ""

    def move(self, dx, dy):
        self.input.move(float(dx), float(dy))
        return ""

    def inhibit(self, flags):
        self.manager = SessionManager(self.bus, int(flags))
        return ""

    def answer(self, line):
        verb, *args = line.split()
        try:
            answer = getattr(self, verb.replace("-", "_"))(*args)
            return answer if answer.startswith("error") else ("ok " + answer).strip()
        except dbus.DBusException as e:
            return "error %s: %s" % (e.get_dbus_name(), e.get_dbus_message())

    def serve(self):
        """Answers requests as they come, and the bus in between."""
        loop = GLib.MainLoop()

        def request(*_):
            line = sys.stdin.readline()  # one at a time: the tests wait for each answer
            if not line:
                loop.quit()
                return False
            print(self.answer(line).replace("\n", " "), flush=True)
            return True

        GLib.io_add_watch(sys.stdin.fileno(), GLib.IO_IN | GLib.IO_HUP, request)
        loop.run()


if __name__ == "__main__":
    DBusGMainLoop(set_as_default=True)
    Agent().serve()
