"""Private headless desktops for the Wayland tests, each a session of the
test user with a bus of its own: the base every compositor shares, and
KWin and Mutter (sway is in wayland_harness).

Compositors refuse to run as root or with our privileges: when the tests run
as root, every process of the session runs as an unprivileged user of its
own, made once, with a private runtime folder. Requests on the session bus
(pictures, input) go through desktop_bus.py, run as that user.
"""
import os
import pwd
import shutil
import subprocess
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "x11"))
import x11_harness as x  # noqa: E402
from x11_harness import pixels, wait_until  # noqa: E402

TEST_USER = "morvelux-test"
SKIP = 77
KEY_LEFTSHIFT, KEY_A = 42, 30  # evdev key codes


def skip(reason):
    print("skipped: " + reason)
    sys.stdout.flush()
    os._exit(SKIP)


def test_account():
    """(uid, gid) to run a desktop as: our own, or when root a system user made for it once."""
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
    """A binary PPM (P6, 8 bits)."""
    blob = Path(path).read_bytes()
    magic, width, height, depth, data = blob.split(maxsplit=4)
    if magic != b"P6" or depth != b"255":
        raise ValueError("%s: not an 8-bit binary PPM" % path)
    return pixels.Image(int(width), int(height), data)


class Desktop:
    """The session: the test user's folder and runtime folder, its session
    bus, and the processes started in it, ended in reverse order."""

    TOOLS = ("setpriv", "dbus-daemon")
    SLOW_PICTURES = False  # a picture takes seconds: the saver is held still meanwhile
    input_request = None  # what desktop_bus.py is asked for to make input devices

    def __init__(self, folder):
        for tool in self.TOOLS:
            if not shutil.which(tool):
                skip("%s is not installed" % tool)
        self.folder = Path(folder)
        self.uid, self.gid = test_account()
        self.runtime = self.folder / "run"
        self.runtime.mkdir(mode=0o700)
        os.chown(self.folder, self.uid, self.gid)
        os.chown(self.runtime, self.uid, self.gid)
        self.env = {"PATH": "/usr/bin:/bin", "HOME": str(self.folder), "XDG_RUNTIME_DIR": str(self.runtime)}
        self.processes = []
        self.bus_agent = None
        self.input_started = False
        bus = self.runtime / "bus"
        self.spawn("dbus", ["dbus-daemon", "--session", "--nofork", "--address=unix:path=%s" % bus])
        self.wait_for(lambda: bus.exists(), "dbus")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=%s" % bus

    def as_user(self, args, env=None):
        """The command line that runs `args` as the test user with only `env`."""
        environment = ["%s=%s" % item for item in (env or self.env).items()]
        prefix = ["setpriv", "--pdeathsig", "TERM"]  # nothing outlives a test that was killed
        if os.getuid() == 0:
            prefix += ["--reuid=%d" % self.uid, "--regid=%d" % self.gid, "--clear-groups"]
        return prefix + ["env", "-i", *environment, *args]

    def spawn(self, name, args, env=None, **popen):
        """Starts `args` as the test user in the session, its output in NAME.log."""
        with open(self.folder / (name + ".log"), "wb") as log:
            streams = dict(dict(stdin=subprocess.DEVNULL, stdout=log, stderr=log), **popen)
            proc = subprocess.Popen(self.as_user(args, dict(self.env, **(env or {}))), **streams)
        proc.log_name = name
        self.processes.append(proc)
        return proc

    def wait_for(self, ready, name, timeout=20):
        proc = self.processes[-1]
        if not wait_until(lambda: ready() or proc.poll() is not None, timeout) or proc.poll() is not None:
            self.stop()
            raise AssertionError("%s did not start: %s" % (
                name, (self.folder / (proc.log_name + ".log")).read_text(errors="replace")[-3000:]))

    def run(self, *args, timeout=20):
        done = subprocess.run(self.as_user(list(args)), capture_output=True, timeout=timeout)
        if done.returncode:
            raise AssertionError("%s failed (%d): %s" % (" ".join(args), done.returncode,
                                                         (done.stdout + done.stderr).decode(errors="replace")))
        return done

    def ask(self, request, timeout=60):
        """Sends one request to desktop_bus.py; the words of its answer after "ok"."""
        if not self.bus_agent:
            self.bus_agent = self.spawn("desktop_bus", ["python3", str(HERE / "desktop_bus.py")],
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.bus_agent.stdin.write(request + "\n")
        self.bus_agent.stdin.flush()
        answer = self.bus_agent.stdout.readline().split()
        if answer[:1] != ["ok"]:
            raise AssertionError("%s: %s" % (request, " ".join(answer) or "desktop_bus.py ended"))
        return answer[1:]

    def layout_name(self, laid_out, output):
        """What morvelux calls `output` among the outputs it `laid_out`."""
        return output

    def show_plain_window(self, colour, kind="window"):
        """An ordinary full-screen window of `colour` (0xRRGGBB) on the first
        output, or with kind "locker" a lock screen's surface; returns a
        reader of whether it has the keyboard focus."""
        log = self.folder / ("%s.log" % kind)
        self.spawn(kind, ["python3", str(HERE / "wire_clients.py"), "%06x" % colour, kind])
        self.wait_for(lambda: "shown" in log.read_text(), "the " + kind, 10)
        return lambda: [line for line in log.read_text().splitlines() if "focus" in line][-1:] == ["focus"]

    def press_key(self, code=KEY_A):
        self.start_input()
        self.ask("key %d" % code)

    def make_input_devices(self):
        """A Shift tap and a zero move: the seat has a keyboard and a pointer from then on."""
        self.press_key(KEY_LEFTSHIFT)
        self.ask("move 0 0")

    def start_input(self):
        if not self.input_started:
            self.ask(self.input_request)
            self.input_started = True

    def stop(self):
        for proc in reversed(self.processes):
            if proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(5)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait(5)
        self.processes = []


class KWin(Desktop):
    """A headless KWin of OUTPUTS virtual outputs of SIZE, Virtual-0 to Virtual-n.

    The packaged binary carries a file capability that an unprivileged
    process in this sandbox may not take on; a copy carries none."""

    TOOLS = Desktop.TOOLS + ("kwin_wayland",)
    DISPLAY = "wayland-kwin"

    def __init__(self, folder, outputs=2, size=(1280, 1024)):
        super().__init__(folder)
        self.size = size
        binary = self.folder / "kwin_wayland"
        shutil.copyfile(shutil.which("kwin_wayland"), binary)
        binary.chmod(0o755)
        self.proc = self.spawn("kwin", [str(binary), "--virtual", "--width", str(size[0]), "--height", str(size[1]),
                                        "--output-count", str(outputs), "--socket", self.DISPLAY, "--no-lockscreen",
                                        "--no-global-shortcuts", "--no-kactivities"],
                               {"KWIN_WAYLAND_NO_PERMISSION_CHECKS": "1", "KWIN_SCREENSHOT_NO_PERMISSION_CHECKS": "1"})
        socket = self.runtime / self.DISPLAY
        self.wait_for(socket.exists, "kwin_wayland")
        self.env["WAYLAND_DISPLAY"] = self.DISPLAY
        self.names = ["Virtual-%d" % i for i in range(outputs)]
        self.wait_for(lambda: self.try_picture(self.names[-1]), "kwin_wayland's screenshots")
        self.input_request = "kwin-input %s" % socket

    def output_names(self):
        return list(self.names)

    def try_picture(self, output):
        try:
            self.screenshot(output)
            return True
        except AssertionError:
            return False

    def screenshot(self, output):
        path = self.folder / ("shot-%s.ppm" % output)
        self.ask("kwin-shot %s %s" % (output, path))
        return lambda: read_ppm(path)


class Mutter(Desktop):
    """A headless Mutter with a virtual monitor of each of SIZES, Meta-0 to
    Meta-n, and the PipeWire its screen casts go through."""

    TOOLS = Desktop.TOOLS + ("mutter", "pipewire", "wireplumber", "gst-launch-1.0")
    DISPLAY = "wayland-mutter"
    SLOW_PICTURES = True
    input_request = "mutter-input"

    def __init__(self, folder, sizes=((1280, 1024), (800, 600))):
        super().__init__(folder)
        self.sizes = sizes
        self.spawn("pipewire", ["pipewire"])
        self.wait_for(lambda: (self.runtime / "pipewire-0").exists(), "pipewire")
        self.spawn("wireplumber", ["wireplumber"])
        monitors = [arg for w, h in sizes for arg in ("--virtual-monitor", "%dx%d" % (w, h))]
        self.proc = self.spawn("mutter", ["mutter", "--headless", "--wayland", "--no-x11",
                                          "--wayland-display=" + self.DISPLAY, *monitors])
        self.wait_for((self.runtime / self.DISPLAY).exists, "mutter")
        self.env["WAYLAND_DISPLAY"] = self.DISPLAY
        self.names = ["Meta-%d" % i for i in range(len(sizes))]

    def output_names(self):
        return list(self.names)

    def layout_name(self, laid_out, output):
        # Mutter 43 names no outputs to clients: they are told apart by size.
        size = self.sizes[self.names.index(output)]
        return next(name for name, layout in laid_out.items() if layout[:2] == size)

    def screenshot(self, output):
        path = self.folder / ("shot-%s.png" % output)
        self.ask("mutter-shot %s %s" % (output, path))
        return lambda: pixels.read_png(path)


class Weston(Desktop):
    """A headless weston of one output of SIZE whose output sleeps, as a
    monitor switched off does, once nothing happened for IDLE seconds: it
    sends no frame callbacks from then on. It has no input to wake it."""

    TOOLS = Desktop.TOOLS + ("weston",)
    DISPLAY = "wayland-weston"

    def __init__(self, folder, idle=2, size=(1280, 1024)):
        super().__init__(folder)
        self.proc = self.spawn("weston", ["weston", "--backend=headless-backend.so", "--use-pixman",
                                          "--idle-time=%d" % idle,
                                          "--width=%d" % size[0], "--height=%d" % size[1],
                                          "--socket=" + self.DISPLAY])
        self.wait_for((self.runtime / self.DISPLAY).exists, "weston")
        self.env["WAYLAND_DISPLAY"] = self.DISPLAY
