"""Runs morvelux -wayland under a private headless desktop (sway here, KWin
and Mutter in desktops) and checks what each output shows against the
frames morvelux-render composes for the same tick.

The desktop, morvelux and the clients that talk to them run as the test
user of desktops. The trace, the reference frames and the comparison are
the X11 tests' (x11_harness).
"""
import json
import os
import shutil
import signal
import subprocess
import tempfile
import unittest
import warnings
from pathlib import Path

from desktops import KEY_A, Desktop, read_ppm, skip, x  # noqa: F401 (the tests' names)
from x11_harness import pixels, wait_until  # noqa: F401

BUILD = x.BUILD


class Sway(Desktop):
    """A headless sway with the outputs its config names, as the test user.

    sway 1.7 cannot take a headless output away (it fails to commit a
    disabled one). Nested, its outputs are windows of a headless host sway,
    which take the output with them when the host closes them."""

    TOOLS = Desktop.TOOLS + ("sway", "swaymsg", "grim", "wtype")

    def __init__(self, folder, config, outputs, nested=False):
        super().__init__(folder)
        backend = {"WLR_RENDERER": "pixman", "WLR_LIBINPUT_NO_DEVICES": "1"}
        headless = dict(backend, WLR_BACKENDS="headless", WLR_HEADLESS_OUTPUTS=str(outputs))
        self.host = None
        if nested:
            # Floating, every output keeps the window's first size, 1280 x 720.
            self.host = self.launch("host", "for_window [app_id=wlroots] floating enable\n",
                                    dict(headless, WLR_HEADLESS_OUTPUTS="1"), "wayland-1")
            self.proc = self.launch("sway", config, dict(backend, WLR_BACKENDS="wayland", WLR_WL_OUTPUTS=str(outputs),
                                                         WAYLAND_DISPLAY="wayland-1"), "wayland-2")
        else:
            self.proc = self.launch("sway", config, headless, "wayland-1")
        self.env.update(WAYLAND_DISPLAY=self.proc.display, SWAYSOCK=str(self.proc.ipc))
        # sway 1.7 answers the first screen copy it is asked for with a picture
        # from before: that one is taken here and thrown away.
        self.screenshot(self.output_names()[0])

    def launch(self, name, config, env, display):
        """A sway as the test user reading `config`; its proc knows its display and IPC socket."""
        conf = self.folder / (name + ".conf")
        conf.write_text(config)
        proc = self.spawn(name, ["sway", "-c", str(conf)], env)
        proc.display, proc.ipc = display, self.runtime / ("sway-ipc.%d.%d.sock" % (self.uid, proc.pid))
        self.wait_for(lambda: (self.runtime / display).exists() and proc.ipc.exists(), "sway", 10)
        return proc

    def swaymsg(self, *args):
        return self.run("swaymsg", *args).stdout.decode()

    def output_names(self):
        return [o["name"] for o in json.loads(self.swaymsg("-t", "get_outputs"))]

    def remove_output(self, name):
        """Has the host close the window that is output `name` (nested only); whether the output went."""
        self.run("env", "SWAYSOCK=%s" % self.host.ipc, "swaymsg", '[title="^wlroots - %s$"]' % name, "kill")
        return wait_until(lambda: name not in self.output_names(), 5)

    def windows(self):
        """Every window sway manages, as the nodes of its tree."""
        found, nodes = [], [json.loads(self.swaymsg("-t", "get_tree"))]
        while nodes:
            node = nodes.pop()
            nodes += node.get("nodes", []) + node.get("floating_nodes", [])
            if node.get("type") in ("con", "floating_con") and "app_id" in node:
                found.append(node)
        return found

    def screenshot(self, output):
        """Takes the picture of `output`; returns a reader of it, for after the trace is read."""
        path = self.folder / ("shot-%s.ppm" % output)
        self.run("grim", "-t", "ppm", "-o", output, str(path))
        return lambda: read_ppm(path)

    def press_key(self, code=KEY_A):
        # wtype waits a little before typing, so that clients have the new keyboard by then.
        self.run("wtype", "-s", "300", {KEY_A: "a"}[code])

    def make_input_devices(self):
        # wtype's keyboard lasts as long as it runs; a Shift tap is input all the same.
        self.run("wtype", "-M", "shift", "-m", "shift")


class Morvelux(x.Morvelux):
    """morvelux -wayland, run as the test user; trace and output in the folder."""

    def __init__(self, desktop, args=(), name="morvelux"):  # pylint: disable=super-init-not-called
        folder = desktop.folder
        self.trace = folder / (name + ".trace")
        self.stdout = folder / (name + ".out")
        self.stderr = folder / (name + ".err")
        command = desktop.as_user([str(BUILD / "morvelux"), "-wayland", *args, "-trace", str(self.trace)])
        with open(self.stdout, "wb") as out, open(self.stderr, "wb") as err:
            self.proc = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=out, stderr=err)

    def outputs(self):
        """The outputs it has laid out, by name: (width, height, scale, zoom) as last said."""
        found = {}
        for line in self.lines():
            words = line.split()
            if words[:1] == ["output"] and len(words) == 7:
                found[words[1]] = (*map(int, words[2].split("x")), int(words[4]), int(words[6]))
        return found

    def rss_kib(self):
        with open("/proc/%d/status" % self.proc.pid) as f:
            return next(int(line.split()[1]) for line in f if line.startswith("VmRSS:"))


class WaylandTestCase(x.EndsCleanly, unittest.TestCase):
    """Each test gets a headless desktop of its own: by default a sway with
    OUTPUTS outputs set up by CONFIG."""

    OUTPUTS = 1
    CONFIG = ""
    NESTED = False

    def make_desktop(self, folder):
        return Sway(folder, self.CONFIG, self.OUTPUTS, self.NESTED)

    def setUp(self):
        warnings.simplefilter("ignore", ResourceWarning)
        self.folder = Path(tempfile.mkdtemp(prefix="morvelux-wayland-"))
        self.addCleanup(shutil.rmtree, self.folder, True)
        self.desktop = self.make_desktop(self.folder)
        self.addCleanup(self.desktop.stop)
        self.reference = x.Reference(self.folder / "ref")
        (self.folder / "ref").mkdir()
        self.running = []
        self.addCleanup(lambda: [m.kill() for m in self.running])

    def start(self, *args):
        m = Morvelux(self.desktop, args)
        self.running.append(m)
        return m

    def shows_frame(self, morvelux, output, attempts=3):
        """Takes a picture of `output` and finds the reported frame it equals,
        at the size and zoom morvelux laid the output out with. A picture
        may come from a moment the trace does not bracket on a busy machine:
        a few are taken before it fails with the last miss."""
        laid_out = morvelux.outputs()
        width, height, _, zoom = laid_out[self.desktop.layout_name(laid_out, output)]
        for _ in range(attempts):
            before = morvelux.frames()
            taken = self.picture(morvelux, output)
            after = morvelux.frames()
            shot = taken()
            self.assertEqual((shot.width, shot.height), (width, height))
            # A frame reaches an output when the compositor asks for the next
            # one: a few ticks after it was composed.
            candidates = after[max(len(before) - 4, 0):]
            self.assertTrue(candidates, "no frame was reported around the picture")
            tried = []
            for frame in candidates:
                for title in x.title_choices(frame):
                    expected = self.reference.window((width, height), frame.tick, title, zoom)
                    if expected.data == shot.data:
                        return x.Frame(frame.tick, frame.at, title)
                    tried.append((frame, title, expected))
        pixels.write_png(shot, self.folder / "mismatch.png")
        frame, title, expected = tried[-1]
        self.fail("%s equals none of the frames shown around it (ticks %s); the last, tick %d title %s: %s" % (
            output, [f.tick for f, _, _ in tried], frame.tick, title, pixels.compare(expected, shot)))

    def picture(self, morvelux, output):
        """The desktop's picture of `output`; where that takes seconds, the saver holds still meanwhile."""
        if not self.desktop.SLOW_PICTURES:
            return self.desktop.screenshot(output)
        os.kill(morvelux.proc.pid, signal.SIGSTOP)
        try:
            return self.desktop.screenshot(output)
        finally:
            os.kill(morvelux.proc.pid, signal.SIGCONT)

    def wait_outputs(self, morvelux, names, timeout=10):
        if not wait_until(lambda: set(names) <= set(morvelux.outputs()) or morvelux.proc.poll() is not None,
                          timeout):
            raise AssertionError("morvelux laid out %s, not %s" % (sorted(morvelux.outputs()), sorted(names)))


def main():
    x.main()
