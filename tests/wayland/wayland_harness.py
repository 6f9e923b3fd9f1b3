"""Runs morvelux -wayland under a private headless sway and checks what each
output shows against the frames morvelux-render composes for the same tick.

sway refuses to run as root: when the tests run as root, sway, morvelux and
the clients that talk to sway (swaymsg, grim, wtype) run as an unprivileged
user of their own, made once, with a private runtime folder. The trace, the
reference frames and the comparison are the X11 tests' (x11_harness).
"""
import json
import os
import pwd
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import warnings
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "x11"))
import x11_harness as x  # noqa: E402
from x11_harness import pixels, wait_until  # noqa: E402

BUILD = x.BUILD
TEST_USER = "morvelux-test"
SKIP = 77


def skip(reason):
    print("skipped: " + reason)
    sys.stdout.flush()
    os._exit(SKIP)


def test_account():
    """(uid, gid) to run sway as: our own, or when root a system user made for it once."""
    if os.getuid() != 0:
        return os.getuid(), os.getgid()
    try:
        entry = pwd.getpwnam(TEST_USER)
    except KeyError:
        made = subprocess.run(["useradd", "--system", "--user-group", "--no-create-home", "--home-dir",
                               "/nonexistent", "--shell", "/usr/sbin/nologin", TEST_USER], capture_output=True)
        if made.returncode not in (0, 9):  # 9: made meanwhile by a test beside this one
            skip("cannot make the user %s: %s" % (TEST_USER, made.stderr.decode(errors="replace")))
        entry = pwd.getpwnam(TEST_USER)
    return entry.pw_uid, entry.pw_gid


def read_ppm(path):
    """A binary PPM (P6, 8 bits) as grim writes it."""
    blob = Path(path).read_bytes()
    magic, width, height, depth, data = blob.split(maxsplit=4)
    if magic != b"P6" or depth != b"255":
        raise ValueError("%s: not an 8-bit binary PPM" % path)
    return pixels.Image(int(width), int(height), data)


class Sway:
    """A headless sway with the outputs its config names, as the test user.

    sway 1.7 cannot take a headless output away (it fails to commit a
    disabled one). Nested, its outputs are windows of a headless host sway,
    which take the output with them when the host closes them."""

    def __init__(self, folder, config, outputs, nested=False):
        self.folder = Path(folder)
        self.uid, self.gid = test_account()
        self.runtime = self.folder / "run"
        self.runtime.mkdir(mode=0o700)
        os.chown(self.folder, self.uid, self.gid)
        os.chown(self.runtime, self.uid, self.gid)
        self.env = {"PATH": "/usr/bin:/bin", "HOME": str(self.folder), "XDG_RUNTIME_DIR": str(self.runtime)}
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
        with open(self.folder / (name + ".log"), "wb") as log:
            proc = subprocess.Popen(self.as_user(["sway", "-c", str(conf)], dict(self.env, **env)),
                                    stdin=subprocess.DEVNULL, stdout=log, stderr=log)
        proc.display, proc.ipc = display, self.runtime / ("sway-ipc.%d.%d.sock" % (self.uid, proc.pid))
        up = lambda: (self.runtime / display).exists() and proc.ipc.exists()  # noqa: E731
        if not wait_until(lambda: up() or proc.poll() is not None, 10) or proc.poll() is not None:
            proc.kill()
            raise AssertionError("sway did not start: " + (self.folder / (name + ".log")).read_text(errors="replace"))
        return proc

    def as_user(self, args, env=None):
        """The command line that runs `args` as the test user with only `env`."""
        environment = ["%s=%s" % item for item in (env or self.env).items()]
        prefix = ["setpriv", "--pdeathsig", "TERM"]  # nothing outlives a test that was killed
        if os.getuid() == 0:
            prefix += ["--reuid=%d" % self.uid, "--regid=%d" % self.gid, "--clear-groups"]
        return prefix + ["env", "-i", *environment, *args]

    def run(self, *args, timeout=20):
        done = subprocess.run(self.as_user(list(args)), capture_output=True, timeout=timeout)
        if done.returncode:
            raise AssertionError("%s failed (%d): %s" % (" ".join(args), done.returncode,
                                                         (done.stdout + done.stderr).decode(errors="replace")))
        return done

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

    def stop(self):
        for proc in (self.proc, self.host):
            if proc and proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(5)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait(5)


class Morvelux(x.Morvelux):
    """morvelux -wayland, run as the test user; trace and output in the folder."""

    def __init__(self, sway, args=(), name="morvelux", display=None):  # pylint: disable=super-init-not-called
        folder = sway.folder
        self.trace = folder / (name + ".trace")
        self.stdout = folder / (name + ".out")
        self.stderr = folder / (name + ".err")
        env = dict(sway.env, WAYLAND_DISPLAY=display) if display else None  # another compositor than sway
        command = sway.as_user([str(BUILD / "morvelux"), "-wayland", *args, "-trace", str(self.trace)], env)
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
    """Each test gets a headless sway of its own with OUTPUTS outputs set up by CONFIG."""

    OUTPUTS = 1
    CONFIG = ""
    NESTED = False

    def setUp(self):
        warnings.simplefilter("ignore", ResourceWarning)
        for tool in ("sway", "swaymsg", "grim", "wtype", "setpriv"):
            if not shutil.which(tool):
                skip("%s is not installed" % tool)
        self.folder = Path(tempfile.mkdtemp(prefix="morvelux-wayland-"))
        self.addCleanup(shutil.rmtree, self.folder, True)
        self.sway = Sway(self.folder, self.CONFIG, self.OUTPUTS, self.NESTED)
        self.addCleanup(self.sway.stop)
        self.reference = x.Reference(self.folder / "ref")
        (self.folder / "ref").mkdir()
        self.running = []
        self.addCleanup(lambda: [m.kill() for m in self.running])

    def start(self, *args, display=None):
        m = Morvelux(self.sway, args, display=display)
        self.running.append(m)
        return m

    def shows_frame(self, morvelux, output, attempts=3):
        """Takes a picture of `output` and finds the reported frame it equals,
        at the size and zoom morvelux laid the output out with. A picture
        may come from a moment the trace does not bracket on a busy machine:
        a few are taken before it fails with the last miss."""
        width, height, _, zoom = morvelux.outputs()[output]
        for _ in range(attempts):
            before = morvelux.frames()
            taken = self.sway.screenshot(output)
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

    def wait_outputs(self, morvelux, names, timeout=10):
        if not wait_until(lambda: set(names) <= set(morvelux.outputs()) or morvelux.proc.poll() is not None,
                          timeout):
            raise AssertionError("morvelux laid out %s, not %s" % (sorted(morvelux.outputs()), sorted(names)))


def main():
    x.main()
