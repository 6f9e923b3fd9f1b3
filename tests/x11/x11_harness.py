"""Runs the native morvelux on private Xvfb displays and checks what it
shows against the frames morvelux-render composes for the same tick.

morvelux's -trace file says which tick each frame it shows belongs to; a
screenshot taken between two readings of the trace must equal one of the
frames reported in between, pixel for pixel, placed in the window as the
program places the panel. Windows for it to draw on are made here through
Xlib (ctypes), as a daemon would make them. Standard library only; the Xvfb
starter and the picture readers are the Windows end-to-end tests'.
"""
import ctypes
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import warnings
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "e2e"))
import e2e_fixture  # noqa: E402
import pixels  # noqa: E402
from wine_harness import wait_until  # noqa: E402

BUILD = Path(os.environ.get("MORVELUX_BUILD_DIR", HERE.parents[1] / "build" / "native"))
TITLE_MS = 4500
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid, "rb") as f:
        stat = f.read()
    fields = stat[stat.rfind(b")") + 2:].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def wake_ups(pid):
    """How often the process has gone to sleep and been woken so far: the
    voluntary context switches of all its threads."""
    total = 0
    for task in Path("/proc/%d/task" % pid).iterdir():
        for line in (task / "status").read_text().splitlines():
            if line.startswith("voluntary_ctxt_switches:"):
                total += int(line.split()[1])
    return total


# --- Xlib, for the windows a test makes --------------------------------------------

class Xlib:
    """A client connection of the test's own: makes, resizes and destroys windows."""

    def __init__(self, display):
        lib = self.lib = ctypes.CDLL("libX11.so.6")
        lib.XOpenDisplay.restype = ctypes.c_void_p
        lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        lib.XDefaultRootWindow.restype = ctypes.c_ulong
        lib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        lib.XCreateSimpleWindow.restype = ctypes.c_ulong
        lib.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                            ctypes.c_uint, ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong,
                                            ctypes.c_ulong]
        for name, args in (("XMapWindow", [ctypes.c_ulong]), ("XUnmapWindow", [ctypes.c_ulong]),
                           ("XDestroyWindow", [ctypes.c_ulong]),
                           ("XResizeWindow", [ctypes.c_ulong, ctypes.c_uint, ctypes.c_uint]),
                           ("XSync", [ctypes.c_int]), ("XCloseDisplay", [])):
            getattr(lib, name).argtypes = [ctypes.c_void_p] + args
        self.dpy = lib.XOpenDisplay(display.encode())
        if not self.dpy:
            raise RuntimeError("cannot open %s" % display)

    def create_window(self, width, height, background=0x808080, parent=None, mapped=True):
        """A window at (0, 0) of `parent` (the root unless told) filled grey, so
        that black is something morvelux drew; mapped unless told."""
        parent = parent or self.lib.XDefaultRootWindow(self.dpy)
        window = self.lib.XCreateSimpleWindow(self.dpy, parent, 0, 0, width, height, 0, 0, background)
        if mapped:
            self.map(window)
        return window

    def map(self, window):
        self.lib.XMapWindow(self.dpy, window)
        self.lib.XSync(self.dpy, 0)

    def unmap(self, window):
        self.lib.XUnmapWindow(self.dpy, window)
        self.lib.XSync(self.dpy, 0)

    def resize(self, window, width, height):
        self.lib.XResizeWindow(self.dpy, window, width, height)
        self.lib.XSync(self.dpy, 0)

    def destroy(self, window):
        self.lib.XDestroyWindow(self.dpy, window)
        self.lib.XSync(self.dpy, 0)

    def set_resources(self, text):
        """The display's resource database, as xrdb leaves it: RESOURCE_MANAGER on the root."""
        lib = self.lib
        lib.XInternAtom.restype = ctypes.c_ulong
        lib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        lib.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong,
                                        ctypes.c_int, ctypes.c_int, ctypes.c_char_p, ctypes.c_int]
        data = text.encode()
        string_type = 31  # XA_STRING
        root, name = lib.XDefaultRootWindow(self.dpy), lib.XInternAtom(self.dpy, b"RESOURCE_MANAGER", 0)
        lib.XChangeProperty(self.dpy, root, name, string_type, 8, 0, data, len(data))
        lib.XSync(self.dpy, 0)

    def close(self):
        self.lib.XCloseDisplay(self.dpy)


# --- the program and its trace -----------------------------------------------------

class Frame:
    def __init__(self, tick, at, title):
        self.tick, self.at, self.title = tick, at, title


class Trace:
    """What a morvelux -trace file says: how frames are sent and every frame shown."""

    def __init__(self, path):
        self.trace = Path(path)

    def lines(self):
        try:
            return self.trace.read_text().splitlines()
        except FileNotFoundError:
            return []

    def frames(self):
        out = []
        for line in self.lines():
            words = line.split()
            if words[:1] == ["tick"] and len(words) == 6:
                out.append(Frame(int(words[1]), int(words[3]), words[5] == "1"))
        return out

    def presenter(self):
        """How it sends frames, as it said first: 'shm' or 'putimage' (X11),
        'layer-shell' or 'xdg-toplevel' (Wayland)."""
        said = [line.split()[1] for line in self.lines() if line.startswith("present ")]
        return said[0] if said else None


class Morvelux(Trace):
    """A running morvelux; its output and trace go to files in `folder`."""

    def __init__(self, display, folder, args=(), env=None, name="morvelux"):
        super().__init__(Path(folder) / (name + ".trace"))
        self.stdout = Path(folder) / (name + ".out")
        self.stderr = Path(folder) / (name + ".err")
        environment = dict(os.environ, DISPLAY=display)
        environment.pop("XSCREENSAVER_WINDOW", None)
        environment.update(env or {})
        with open(self.stdout, "wb") as out, open(self.stderr, "wb") as err:
            self.proc = subprocess.Popen([str(BUILD / "morvelux"), *args, "-trace", str(self.trace)],
                                         env=environment, stdin=subprocess.DEVNULL, stdout=out, stderr=err)

    def wait_frames(self, count=1, timeout=10):
        if not wait_until(lambda: len(self.frames()) >= count or self.proc.poll() is not None, timeout):
            raise AssertionError("morvelux showed fewer than %d frames in %gs" % (count, timeout))
        if self.proc.poll() is not None:
            raise AssertionError("morvelux ended (code %s): %s" % (self.proc.returncode, self.errors()))
        return self.frames()

    def wait_until_ms(self, ms, timeout=15):
        """Waits until a frame composed at least `ms` after activation has been shown."""
        if not wait_until(lambda: any(f.at >= ms for f in self.frames()), timeout):
            raise AssertionError("morvelux never reached %d ms" % ms)

    def errors(self):
        return self.stderr.read_text(errors="replace")

    def stop(self, sig=signal.SIGTERM, timeout=1.0):
        """Sends the signal; the exit code, or None if it did not end within `timeout`."""
        if self.proc.poll() is None:
            self.proc.send_signal(sig)
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def wait(self, timeout):
        """The exit code once it ends by itself, or None if it runs on past `timeout`."""
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait(5)


# --- expected pictures ------------------------------------------------------------------

class Reference:
    """Frames of morvelux-render, by tick and title card, read once each."""

    def __init__(self, folder):
        self.folder = Path(folder)
        self.cache = {}

    def panel(self, tick, title):
        key = (tick, title)
        if key not in self.cache:
            out = self.folder / ("render-%d-%d.png" % key)
            args = [str(BUILD / "morvelux-render"), "--ticks", str(tick), "--out", str(out)]
            subprocess.run(args + (["--title"] if title else []), check=True, capture_output=True)
            self.cache[key] = pixels.read_png(out)
        return self.cache[key]

    def window(self, size, tick, title, zoom=1):
        """A window of `size` as morvelux should show this tick: black, the panel centred at `zoom`."""
        return pixels.expected_screen(self.panel(tick, title), size, zoom)


def title_choices(frame):
    """Whether the title card lay over a frame: the trace says so, but a frame
    composed in the very millisecond the card's time ran out may go either way."""
    return (frame.title, not frame.title) if abs(frame.at - TITLE_MS) <= 2 else (frame.title,)


def screenshot(display, window="root"):
    args = ["xwd", "-silent", "-display", display] + (["-root"] if window == "root" else ["-id", str(window)])
    return pixels.read_xwd(subprocess.run(args, check=True, capture_output=True, timeout=20).stdout)


class EndsCleanly:
    """For test cases that run morvelux: it ended with 0 and said nothing."""

    def assert_ended_cleanly(self, morvelux, code):
        self.assertEqual(code, 0, "exit code; stderr: %s" % morvelux.errors())
        self.assertEqual(morvelux.errors(), "", "morvelux printed errors")


class X11TestCase(EndsCleanly, unittest.TestCase):
    """Each test gets a private Xvfb of SCREEN, an Xlib connection and a folder."""

    SCREEN = (1280, 1024)
    XVFB_ARGS = ()

    def setUp(self):
        warnings.simplefilter("ignore", ResourceWarning)  # Xvfb is ended by pid, not by its Popen
        self.folder = Path(tempfile.mkdtemp(prefix="morvelux-x11-"))
        self.addCleanup(shutil.rmtree, self.folder, True)
        pid, self.display = e2e_fixture.start_xvfb(*self.SCREEN, self.folder / "xvfb.log",
                                                   extra_args=self.XVFB_ARGS)
        self.addCleanup(e2e_fixture.stop_xvfb, pid)
        self.x = Xlib(self.display)
        self.addCleanup(self.x.close)
        self.reference = Reference(self.folder)
        self.running = []
        self.addCleanup(lambda: [m.kill() for m in self.running])

    def start(self, *args, env=None, name="morvelux"):
        m = Morvelux(self.display, self.folder, args, env, name)
        self.running.append(m)
        return m

    def shows_frame(self, morvelux, window, size, zoom=1):
        """Takes a screenshot of `window` and finds the reported frame it equals
        at `zoom`; returns that frame (fails with the closest miss otherwise)."""
        before = morvelux.frames()
        shot = screenshot(self.display, window)
        after = morvelux.frames()
        self.assertEqual((shot.width, shot.height), tuple(size))
        candidates = after[max(len(before) - 1, 0):]
        self.assertTrue(candidates, "no frame was reported around the screenshot")
        misses = []
        for frame in reversed(candidates):
            for title in title_choices(frame):
                expected = self.reference.window(size, frame.tick, title, zoom)
                if expected.data == shot.data:
                    return Frame(frame.tick, frame.at, title)
                misses.append((frame, title, expected))
        # Only a miss is told pixel by pixel: that is slow on a large screen.
        misses = ["tick %d title %s: %s" % (f.tick, t, pixels.compare(e, shot)) for f, t, e in misses]
        pixels.write_png(shot, self.folder / "mismatch.png")
        self.fail("the screenshot equals none of the frames shown around it:\n  " + "\n  ".join(misses))


def main():
    unittest.main(argv=[sys.argv[0]] + sys.argv[1:], verbosity=2)
