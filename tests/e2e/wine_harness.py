"""Drives the real saver under Wine on private X displays, as a user would.

The run's displays and Wine prefix are made once per test run by
e2e_fixture.py (a CTest fixture); this module finds them through the run
directory, starts Windows programs there, finds their windows, sends them
keys and mouse input, takes screenshots, reads and writes the prefix's
registry, and makes sure every test leaves no program of ours running.
Standard library only.
"""
import json
import os
import re
import shlex
import signal
import subprocess
import sys
import time
import unittest
from pathlib import Path

import pixels
import screens

HERE = Path(__file__).resolve().parent
SOURCE_DIR = HERE.parents[1]


class HarnessError(RuntimeError):
    pass


def run_dir():
    """Where the run's configuration, state, prefix and artifacts live."""
    return Path(os.environ.get("MORVELUX_E2E_DIR", SOURCE_DIR / "build" / "win64" / "e2e"))


def load_json(path):
    with open(path) as f:
        return json.load(f)


def save_json(path, data):
    tmp = Path(str(path) + ".tmp")
    with open(tmp, "w") as f:
        json.dump(data, f, indent=2)
    os.replace(tmp, path)


def windows_path(path):
    """The Wine path of a Unix path (drive Z: is the Unix root)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def wait_until(condition, timeout, interval=0.02):
    """Polls condition until it returns something truthy; returns that or None."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)


# --- processes seen through /proc ---------------------------------------------

class ProcInfo:
    def __init__(self, pid, image, cmdline):
        self.pid, self.image, self.cmdline = pid, image, cmdline

    def __repr__(self):
        return "pid %d %s" % (self.pid, " ".join(self.cmdline))


def _read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return b""


def processes_in_prefix(prefix):
    """Live (non-zombie) processes whose environment names this Wine prefix."""
    marker = b"WINEPREFIX=" + str(prefix).encode() + b"\0"
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        stat = _read("/proc/%s/stat" % entry)
        if not stat or stat[stat.rfind(b")") + 2:][:1] in (b"Z", b"X"):
            continue
        if marker not in _read("/proc/%s/environ" % entry) + b"\0":
            continue
        args = [a.decode(errors="replace") for a in _read("/proc/%s/cmdline" % entry).split(b"\0") if a]
        image = re.split(r"[\\/]", args[0])[-1] if args else ""
        found.append(ProcInfo(int(entry), image, args))
    return found


CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    """User plus system CPU time of a process (all its threads), or None once it is gone."""
    stat = _read("/proc/%d/stat" % pid)
    if not stat:
        return None
    fields = stat[stat.rfind(b")") + 2:].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def kill_pid(pid):
    try:
        os.kill(pid, signal.SIGKILL)
    except ProcessLookupError:
        pass


# --- Windows programs started by a test ---------------------------------------

class WineProcess:
    """A Windows program started under Wine. Its output goes to files in the
    test's artifact folder, never to pipes that Wine's helper processes could
    inherit and hold open."""

    def __init__(self, args, env, out_path, stdin=False, on_stuck=None):
        self.args = args
        self.on_stuck = on_stuck  # called before a program that overran its wait is killed
        self.witness = False
        self.out_path = Path(out_path)
        self.err_path = self.out_path.with_suffix(".err")
        with open(self.out_path, "wb") as out, open(self.err_path, "wb") as err:
            self.popen = subprocess.Popen(args, env=env, stdout=out, stderr=err,
                                          stdin=subprocess.PIPE if stdin else subprocess.DEVNULL,
                                          start_new_session=True)
        self.pid = self.popen.pid

    def __repr__(self):
        return "WineProcess(pid %d: %s)" % (self.pid, " ".join(self.args[1:]))

    def lines(self):
        return _read(self.out_path).decode(errors="replace").splitlines()

    def errors(self):
        return _read(self.err_path).decode(errors="replace")

    def wait_for_line(self, pattern, timeout=10):
        """The first match of pattern in an output line, waiting for it to appear."""
        regex = re.compile(pattern)

        def search():
            for line in self.lines():
                m = regex.search(line)
                if m:
                    return m
            return None
        m = wait_until(search, timeout)
        if not m:
            raise HarnessError("%r printed no line matching %r within %gs; output so far:\n%s" % (
                self, pattern, timeout, "\n".join(self.lines())))
        return m

    def send(self, text):
        self.popen.stdin.write(text.encode())
        self.popen.stdin.flush()

    def poll(self):
        return self.popen.poll()

    def wait(self, timeout=10):
        """The exit code; kills the program and raises if it has not ended in time."""
        try:
            code = self.popen.wait(timeout)
        except subprocess.TimeoutExpired:
            seen = ""
            if self.on_stuck:
                try:
                    seen = "; the screen then: %s" % self.on_stuck(self)
                except Exception as e:  # the diagnosis must not hide the overrun
                    seen = "; no screenshot: %s" % e
            self.kill()
            raise HarnessError("%r still running after %gs; killed it%s" % (self, timeout, seen))
        self._close_input()
        return code

    def kill(self):
        if self.popen.poll() is None:
            kill_pid(self.pid)
            self.popen.wait(5)
        self._close_input()

    def _close_input(self):
        if self.popen.stdin:
            self.popen.stdin.close()


# --- one test's view of the run -------------------------------------------------

class Wine:
    """The run's Wine prefix seen on one of the run's screens."""

    def __init__(self, screen="main", artifacts=None, directory=None):
        self.dir = Path(directory) if directory else run_dir()
        self.config = load_json(self.dir / "config.json")
        # Lets a test run against another build of the saver.
        self.config["saver"] = os.environ.get("MORVELUX_E2E_SAVER", self.config["saver"])
        state_path = self.dir / "env.json"
        if not state_path.exists():
            raise HarnessError("no e2e run is set up in %s: run `e2e_fixture.py setup` "
                               "(CTest does that through the fixture)" % self.dir)
        self.state = load_json(state_path)
        if screen not in self.state["screens"]:
            raise HarnessError("no screen %r in this run; there are %s" % (screen, sorted(self.state["screens"])))
        self.screen_name = screen
        self.screen = self.state["screens"][screen]
        self.layout = screens.parse(self.screen["spec"])
        self.prefix = self.state["prefix"]
        self.artifacts = Path(artifacts) if artifacts else self.dir / "artifacts" / "manual"
        self.artifacts.mkdir(parents=True, exist_ok=True)
        self.started = []
        self._count = 0

    # environment and programs

    @property
    def display(self):
        return self.screen["display"]

    @property
    def size(self):
        """The X root's size: the screen, or the box round all monitors."""
        return self.screen["width"], self.screen["height"]

    @property
    def monitors(self):
        """The monitors (x, y, width, height) on the X root, the primary first."""
        return self.layout.monitors

    def monitor_info(self):
        """What Win32 reports: ({'rect': virtual screen, 'awareness': ...}, [monitor rows])."""
        code, rows = self.wininfo("monitors")
        if code != 0 or not rows:
            raise HarnessError("wininfo monitors failed with code %s" % code)
        return rows[0], rows[1:]

    def env(self):
        return wine_environment(self.config, self.prefix, self.display)

    def add_environment(self, dll_overrides=None, **variables):
        """Programs started from now on also get `variables`, and Wine's DLL
        load order `dll_overrides` ("mpr=n") besides the run's own."""
        env = dict(self.env(), **variables)
        if dll_overrides:
            env["WINEDLLOVERRIDES"] += ";" + dll_overrides
        self.env = lambda: env

    def start(self, exe, *args, stdin=False, witness=False):
        """Starts a Windows program (Unix path) with arguments. A witness
        (a program that only watches, like the foreground probe) is ended
        after the test without counting as left behind."""
        self._count += 1
        name = "%02d-%s" % (self._count, Path(exe).stem)
        proc = WineProcess([self.config["wine64"], str(exe)] + [str(a) for a in args], self.env(),
                           self.artifacts / (name + ".out"), stdin=stdin,
                           on_stuck=lambda p, name=name: self.save_screenshot(name + "-stuck"))
        proc.witness = witness
        self.started.append(proc)
        return proc

    def saver(self, *args):
        """Starts Morvelux.scr with the given command-line arguments."""
        return self.start(self.config["saver"], *args)

    def tool(self, name, *args, stdin=False, witness=False):
        """Starts one of the test programs (preview_host, foreground_probe, wininfo)."""
        return self.start(Path(self.config["tools"]) / (name + ".exe"), *args, stdin=stdin, witness=witness)

    def saver_windows_path(self):
        return windows_path(self.config["saver"])

    # windows, from the Win32 side

    def wininfo(self, *args, timeout=15):
        """Runs wininfo and returns its lines as dicts (key 'kind' is the first word)."""
        proc = self.tool("wininfo", *args)
        code = proc.wait(timeout)
        return code, [parse_fields(line) for line in proc.lines() if line.strip()]

    def find_dialog(self, title, wait=5.0):
        """The top-level window with this exact title and its children, from Win32."""
        code, rows = self.wininfo("find", title, "--wait", int(wait * 1000))
        if code != 0 or not rows:
            return None
        return Window(rows)

    def foreground(self):
        """The Win32 foreground window with its children, or None."""
        code, rows = self.wininfo("foreground")
        return Window(rows) if code == 0 and rows else None

    def wait_dialog(self, title, proc=None, timeout=10):
        """Like find_dialog, but gives up as soon as proc (the program that
        should show the window) has ended."""
        deadline = time.monotonic() + timeout
        while True:
            remaining = deadline - time.monotonic()
            dialog = self.find_dialog(title, wait=min(1.0, max(remaining, 0)))
            if dialog or remaining <= 0 or (proc is not None and proc.poll() is not None):
                return dialog

    def text_extent(self, text, face="Arial", height=-12, weight=400, charset=0):
        """(width, height) of text in a font made with CreateFont's height, weight and charset."""
        code, rows = self.wininfo("text", face, height, weight, charset, text)
        if code != 0 or not rows:
            raise HarnessError("wininfo text failed with code %s" % code)
        return rows[0]["width"], rows[0]["height"]

    def system_screen(self):
        """Wine's screen size and system colours: width, height, btnface, btntext, ..."""
        code, rows = self.wininfo("screen")
        if code != 0 or not rows:
            raise HarnessError("wininfo screen failed with code %s" % code)
        return rows[0]

    def system_colour(self, name):
        """A system colour (btnface, btntext, windowtext, window, highlight) as (r, g, b)."""
        value = str(self.system_screen()[name]).rjust(6, "0")
        return tuple(int(value[i:i + 2], 16) for i in (0, 2, 4))

    # windows, from the X side

    def xdotool(self, *args, check=True, timeout=10):
        result = subprocess.run(["xdotool"] + [str(a) for a in args], env=self.x_env(), timeout=timeout,
                                capture_output=True, text=True)
        if check and result.returncode != 0:
            raise HarnessError("xdotool %s failed: %s" % (" ".join(map(str, args)), result.stderr.strip()))
        return result.stdout

    def x_env(self):
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        return env

    def find_windows(self, name=None, cls=None, pid=None, visible=True):
        """X window ids matching all given criteria (name and cls are regular
        expressions, pid a Unix process id)."""
        def search(option, value):
            args = ["search"] + (["--onlyvisible"] if visible else []) + [option, value]
            return [int(w) for w in self.xdotool(*args, check=False).split()]
        # xdotool cannot combine --pid with the other criteria: intersect here.
        found = None
        for option, value in (("--name", name), ("--class", cls), ("--pid", pid)):
            if value is not None:
                hits = search(option, value)
                found = hits if found is None else [w for w in found if w in hits]
        return found if found is not None else search("--name", ".")

    def wait_window(self, name=None, cls=None, pid=None, timeout=10):
        found = wait_until(lambda: self.find_windows(name, cls, pid), timeout)
        if not found:
            raise HarnessError("no window (name=%r class=%r pid=%r) appeared within %gs" % (name, cls, pid, timeout))
        return found[0]

    def window_gone(self, window, timeout=5):
        return bool(wait_until(lambda: window not in self.find_windows(visible=True), timeout))

    def geometry(self, window):
        """(x, y, width, height) of an X window on the screen."""
        out = self.xdotool("getwindowgeometry", "--shell", window)
        v = dict(line.split("=", 1) for line in out.split())
        return int(v["X"]), int(v["Y"]), int(v["WIDTH"]), int(v["HEIGHT"])

    def window_name(self, window):
        return self.xdotool("getwindowname", window).rstrip("\n")

    def focused_window(self):
        """The X window with the keyboard focus (None when focus is on the root)."""
        out = self.xdotool("getwindowfocus", "-f", check=False).strip()
        return int(out) if out.isdigit() and int(out) > 1 else None

    # input

    def key(self, *keys, window=None):
        """Presses and releases keys (xdotool names: Return, Escape, space,
        alt+F4). They go to the window with the X focus; with window (an X
        id), first waits until that window has it, as a user would."""
        self.wait_focus(window)
        self.xdotool("key", "--delay", 30, *keys)

    def key_down(self, key, window=None):
        self.wait_focus(window)
        self.xdotool("keydown", key)

    def key_up(self, key, window=None):
        self.wait_focus(window)
        self.xdotool("keyup", key)

    def wait_focus(self, window, timeout=3):
        """Waits until the X window has the keyboard focus. Wine moves the
        focus a moment after it activates a window, so a key sent at once
        can still reach the window that was active before."""
        if window is None:
            return
        if not wait_until(lambda: self.focused_window() == window, timeout):
            raise HarnessError("X window %s never got the keyboard focus (it is on %s)" % (
                window, self.focused_window()))

    def focus(self, window):
        """Gives an X window the keyboard focus, as clicking on it would."""
        self.xdotool("windowfocus", "--sync", window)

    def mouse_move(self, x, y):
        self.xdotool("mousemove", x, y)

    def mouse_moves(self, points, interval=0.04):
        """Moves the pointer through the points (x, y), one after the other
        with interval seconds between, in one xdotool run. Give distinct
        points: a move to where the pointer already is makes no event. Wine
        merges moves that wait unread in a queue, so leave the program time
        to read each."""
        args = []
        for x, y in points:
            args += ["mousemove", x, y, "sleep", interval]
        self.xdotool(*args, timeout=10 + len(points) * interval)

    def click(self, x=None, y=None, button=1, repeat=1):
        if x is not None:
            self.mouse_move(x, y)
        self.xdotool("click", "--repeat", repeat, "--delay", 80, button)

    # pixels

    def screenshot(self, region=None):
        """The screen, or the region (x, y, width, height) of it, as a pixels.Image."""
        result = subprocess.run(["xwd", "-root", "-silent", "-display", self.display], capture_output=True,
                                timeout=15)
        if result.returncode != 0:
            raise HarnessError("xwd failed: %s" % result.stderr.decode(errors="replace"))
        image = pixels.read_xwd(result.stdout)
        return image.crop(*region) if region else image

    def save_screenshot(self, name):
        path = self.artifacts / (name + ".png")
        pixels.write_png(self.screenshot(), path)
        return path

    # registry

    def reg(self, *args, timeout=20):
        """Runs Wine's reg.exe; returns (exit code, output lines, error text).
        reg.exe names every failure of its own (a missing key, a bad value);
        once in a long while under load it ends with an error code and not a
        word, having done nothing, and is then run once more."""
        for _ in range(2):
            proc = self.start("reg", *args)
            code = proc.wait(timeout)
            lines, errors = proc.lines(), proc.errors()
            if code == 0 or any(line.strip() for line in lines) or errors.strip():
                break
        return code, lines, errors

    def reg_query(self, key):
        """The key's values {name: (type, data)} and subkey names, or None if it does not exist."""
        code, lines, _ = self.reg("query", key)
        if code != 0:
            return None
        return parse_reg_query(key, lines)

    def reg_add(self, key, name=None, kind="REG_SZ", data=None):
        args = ["add", key, "/f"]
        if name is not None:
            args += ["/v", name, "/t", kind, "/d", "" if data is None else str(data)]
        code, lines, errors = self.reg(*args)
        if code != 0:
            raise HarnessError("reg add %s %s failed: %s" % (key, name, " ".join(lines) + errors))

    def reg_delete(self, key):
        """Deletes a key with everything under it; no error if it is absent."""
        self.reg("delete", key, "/f")

    def reg_tree(self, key):
        """Every key under key (itself included when it has values) with its
        values: {relative path: {name: (type, data)}}, or None if key is absent."""
        code, lines, _ = self.reg("query", key, "/s")
        if code != 0:
            return None
        return parse_reg_tree(key, lines)

    def reg_set(self, key, values, replace=True):
        """Writes values {name: (type, data)} (REG_SZ, REG_DWORD with an int,
        REG_BINARY with bytes) in one import of any size; with replace the
        key is emptied first."""
        path = _full_key(key)
        text = "REGEDIT4\n\n"
        if replace:
            text += "[-%s]\n\n" % path
        text += "[%s]\n" % path
        for name, (kind, data) in values.items():
            text += '"%s"=%s\n' % (_reg_escape(name), _reg_data(kind, data))
        self.reg_import(text)

    def reg_import(self, text):
        """Imports a REGEDIT4 text (used for values too long for a command line)."""
        self._count += 1
        path = self.artifacts / ("%02d-import.reg" % self._count)
        path.write_text(text, encoding="latin-1")
        code, lines, errors = self.reg("import", windows_path(path))
        if code != 0:
            raise HarnessError("reg import failed: %s" % (" ".join(lines) + errors))

    # leftovers

    def leftovers(self):
        """Programs of ours still running in the prefix: the saver, the test
        tools (also when another program started them), and whatever this
        test started itself."""
        ours = {Path(self.config["saver"]).name.lower()} | {t.lower() + ".exe" for t in self.config["tool_names"]}
        started = {p.pid for p in self.started if p.poll() is None and not p.witness}
        witnesses = {p.pid for p in self.started if p.witness}
        return [p for p in processes_in_prefix(self.prefix)
                if (p.image.lower() in ours or p.pid in started) and p.pid not in witnesses]

    def kill_leftovers(self):
        """Kills what leftovers() finds and returns what it was."""
        found = self.leftovers()
        for proc in found:
            kill_pid(proc.pid)
        for proc in self.started:
            if proc.poll() is None:
                proc.kill()
        wait_until(lambda: not self.leftovers(), 5)
        return found

    # expected frames

    def render_expected(self, image_left=None, offset=None, ticks=None, title=False, out_name=None):
        """The frame the native render tool composes, as a pixels.Image: for
        this display image left edge and layer offset, or after this many
        motion steps from the layer reset; with title, the title card over it."""
        tool = find_render_tool(self.config)
        if ticks is not None:
            args, name = ["--ticks", str(ticks)], "expected-tick-%d" % ticks
        else:
            args, name = ["--image-left", str(image_left), "--offset", str(offset)], "expected-%d-%d" % (
                image_left, offset)
        if title:
            args.append("--title")
            name += "-title"
        out = self.artifacts / ((out_name or name) + ".png")
        result = subprocess.run([tool] + args + ["--out", str(out)], capture_output=True, text=True, timeout=60)
        if result.returncode != 0:
            raise HarnessError("%s failed: %s" % (tool, result.stderr))
        return pixels.read_png(out)


class Window:
    """A top-level window and its child controls as wininfo reports them."""

    def __init__(self, rows):
        self.top = rows[0]
        self.children = [r for r in rows[1:] if r["kind"] == "child"]

    def __getitem__(self, key):
        return self.top[key]

    @property
    def rect(self):
        return self.top["rect"]

    @property
    def outer_size(self):
        left, top, right, bottom = self.rect
        return right - left, bottom - top

    @property
    def client_size(self):
        return tuple(self.top["client"])

    @property
    def client_origin(self):
        return tuple(self.top["origin"])

    def child(self, cls=None, text=None):
        """The first child with this class (case-insensitive) and/or text, or None."""
        for c in self.children:
            if cls is not None and c["class"].lower() != cls.lower():
                continue
            if text is not None and c["text"].replace("&", "") != text:
                continue
            return c
        return None


def parse_fields(line):
    """'kind a=1 b="x y" rect=1,2,3,4' -> {'kind': 'kind', 'a': 1, 'b': 'x y', 'rect': [1, 2, 3, 4]}"""
    words = shlex.split(line)
    fields = {"kind": words[0]}
    for word in words[1:]:
        key, _, value = word.partition("=")
        fields[key] = _field_value(value)
    return fields


def _field_value(value):
    if re.fullmatch(r"-?\d+(,-?\d+)+", value):
        return [int(v) for v in value.split(",")]
    if re.fullmatch(r"-?\d+", value):
        return int(value)
    if re.fullmatch(r"0x[0-9A-Fa-f]+", value):
        return int(value, 16)
    return value


def _full_key(key):
    for short, full in (("HKCU\\", "HKEY_CURRENT_USER\\"), ("HKLM\\", "HKEY_LOCAL_MACHINE\\")):
        if key.upper().startswith(short):
            key = full + key[len(short):]
    return key.rstrip("\\")


def _reg_escape(text):
    return text.replace("\\", "\\\\").replace('"', '\\"')


def _reg_data(kind, data):
    if kind == "REG_SZ":
        return '"%s"' % _reg_escape(data)
    if kind == "REG_DWORD":
        return "dword:%08x" % (data & 0xFFFFFFFF)
    if kind == "REG_BINARY":
        return "hex:" + ",".join("%02x" % b for b in data)
    raise HarnessError("reg_set does not write %s" % kind)


def _reg_value(line):
    parts = line.strip().split("    ", 2)
    return parts[0], (parts[1] if len(parts) > 1 else "", parts[2] if len(parts) > 2 else "")


def parse_reg_query(key, lines):
    """Values and subkeys of `reg query KEY` output (not recursive)."""
    values, subkeys = {}, []
    full = _full_key(key).lower()
    for line in lines:
        if line.startswith("    "):
            name, value = _reg_value(line)
            values[name] = value
        elif line.strip() and line.strip().lower() != full:
            subkeys.append(line.strip().rsplit("\\", 1)[-1])
    return {"values": values, "subkeys": subkeys}


def parse_reg_tree(key, lines):
    """`reg query KEY /s` output as {path relative to KEY: {name: (type, data)}}."""
    full = _full_key(key)
    tree, current = {}, None
    for line in lines:
        if line.startswith("    ") and current is not None:
            name, value = _reg_value(line)
            tree[current][name] = value
        elif line.strip():
            current = line.strip()[len(full):].lstrip("\\")
            tree[current] = {}
    return tree


def wine_environment(config, prefix, display):
    env = dict(os.environ)
    env.update({"WINEPREFIX": str(prefix), "DISPLAY": display, "WINEDEBUG": "-all",
                "WINEDLLOVERRIDES": "mscoree,mshtml=", "LC_ALL": "C.UTF-8"})
    env.pop("WAYLAND_DISPLAY", None)
    return env


def find_render_tool(config):
    native = Path(config["native_build"])
    for candidate in [native / "tools" / "morvelux-render", native / "morvelux-render"] + sorted(
            native.glob("**/morvelux-render")):
        if candidate.is_file() and os.access(candidate, os.X_OK):
            return candidate
    raise HarnessError("no morvelux-render in %s: build the native preset first" % native)


# --- the wineserver and the screen it serves -------------------------------------

def wineserver_pids(prefix):
    return [p.pid for p in processes_in_prefix(prefix) if p.image.startswith("wineserver")]


def stop_wineserver(config, prefix):
    """Ends every Wine process of this prefix, and only those."""
    env = wine_environment(config, prefix, "")
    subprocess.run([config["wineserver"], "-k"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=30)
    if not wait_until(lambda: not processes_in_prefix(prefix), 10):
        for proc in processes_in_prefix(prefix):
            kill_pid(proc.pid)
        wait_until(lambda: not processes_in_prefix(prefix), 5)


def start_wineserver(config, prefix, screen, log_path):
    """A persistent wineserver whose Wine session takes its screen from this
    display. Wine fixes the screen size when the session starts, so a test on
    another screen restarts it (see use_screen)."""
    env = wine_environment(config, prefix, screen["display"])
    with open(log_path, "ab") as log:
        subprocess.run([config["wineserver"], "-p"], env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                       timeout=30, start_new_session=True)


# Wine's settings in a fresh prefix: monitors from XRandR, 96 DPI.
DEFAULT_WINE_SETTINGS = {"xinerama": False, "dpi": screens.DESIGN_DPI}


def wine_settings_text(settings):
    """The registry import that gives Wine these settings (see Screen.wine_settings);
    a default is written by deleting the value."""
    xrandr = '"UseXRandR"="N"' if settings["xinerama"] else '"UseXRandR"=-'
    dpi = ('"LogPixels"=dword:%08x' % settings["dpi"] if settings["dpi"] != screens.DESIGN_DPI
           else '"LogPixels"=-')
    return ("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n%s\n\n"
            "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n%s\n" % (xrandr, dpi))


def apply_wine_settings(config, prefix, display, settings, directory):
    """Writes the settings into the prefix's registry. Wine reads where its
    monitors come from when its session starts: restart it afterwards."""
    path = Path(directory) / "screen-settings.reg"
    path.write_text(wine_settings_text(settings))
    with open(Path(directory) / "wineserver.log", "ab") as log:
        code = subprocess.run([config["wine64"], "reg", "import", windows_path(path)],
                              env=wine_environment(config, prefix, display), stdin=subprocess.DEVNULL,
                              stdout=log, stderr=log, timeout=60).returncode
    if code != 0:
        raise HarnessError("importing the screen settings %s failed" % settings)


def use_screen(directory, name):
    """Makes sure the run's Wine session serves the named screen, with its
    monitors and DPI."""
    directory = Path(directory)
    config, state = load_json(directory / "config.json"), load_json(directory / "env.json")
    prefix, screen = state["prefix"], state["screens"][name]
    layout = screens.parse(screen["spec"])
    server_path = directory / "server.json"
    server = load_json(server_path) if server_path.exists() else {}
    pids = wineserver_pids(prefix)
    if server.get("screen") == name and server.get("pid") in pids:
        return
    settings = layout.wine_settings()
    if server.get("settings", DEFAULT_WINE_SETTINGS) != settings:
        apply_wine_settings(config, prefix, screen["display"], settings, directory)
        save_json(server_path, {"settings": settings})
    stop_wineserver(config, prefix)
    start_wineserver(config, prefix, screen, directory / "wineserver.log")
    pids = wineserver_pids(prefix)
    if not pids:
        raise HarnessError("the wineserver for %s did not start; see %s" % (prefix, directory / "wineserver.log"))
    # The first program of the session starts Wine's services, which keep
    # its output files open: give them a file of their own.
    warm = directory / "warm-up.out"
    with open(warm, "wb") as out:
        code = subprocess.run([config["wine64"], str(Path(config["tools"]) / "wininfo.exe"), "monitors"],
                              env=wine_environment(config, prefix, screen["display"]), stdin=subprocess.DEVNULL,
                              stdout=out, stderr=subprocess.STDOUT, timeout=60).returncode
    rows = [parse_fields(line) for line in _read(warm).decode(errors="replace").splitlines()
            if line.startswith(("virtual ", "monitor "))] if code == 0 else []
    check_monitors(layout, name, rows)
    save_json(server_path, {"screen": name, "pid": pids[0], "settings": settings})


def check_monitors(layout, name, rows):
    """Raises unless Wine reports exactly the screen's monitors, primary and DPI."""
    seen = [r for r in rows if r["kind"] == "monitor"]
    expected = [(rect, int(i == 0), layout.dpi) for i, rect in enumerate(layout.windows_rects())]
    if sorted((r["rect"], r["primary"], r["dpi"]) for r in seen) != sorted(expected):
        raise HarnessError("Wine reports the monitors (rect, primary, dpi) %s on screen %s, expected %s" % (
            [(r["rect"], r["primary"], r["dpi"]) for r in seen], name, expected))


# --- the test case base ------------------------------------------------------------

class E2ETestCase(unittest.TestCase):
    """Base of the end-to-end tests. Each test gets self.wine on the screen
    named by the class attribute `screen`. After every test: on failure a
    screenshot is saved (its path is printed), and a program of ours still
    running fails the test and is killed."""

    screen = "main"

    def _problems(self):
        result = getattr(getattr(self, "_outcome", None), "result", None)
        return len(result.failures) + len(result.errors) if result is not None else None

    def setUp(self):
        self._problems_before = self._problems()
        name = self.id().split(".", 1)[-1]
        artifacts = run_dir() / "artifacts" / re.sub(r"[^\w.-]", "_", name)
        if artifacts.exists():
            for old in artifacts.iterdir():
                old.unlink()
        use_screen(run_dir(), self.screen)
        self.wine = Wine(self.screen, artifacts=artifacts)

    def tearDown(self):
        now = self._problems()
        if now is None or now != self._problems_before:
            try:
                path = self.wine.save_screenshot("failure")
                print("\nscreenshot at failure: %s" % path, file=sys.stderr)
            except Exception as e:  # a broken display must not hide the test's own failure
                print("\nno screenshot: %s" % e, file=sys.stderr)
            print("program output and logs: %s" % self.wine.artifacts, file=sys.stderr)
        left = self.wine.kill_leftovers()
        if left:
            self.fail("programs left running after the test (killed now): %s" % left)

    # helpers for assertions

    def assertExits(self, proc, code=0, timeout=10):
        actual = proc.wait(timeout)
        self.assertEqual(actual, code, "%r exit code" % proc)

    def report(self, text):
        """A figure the run measured, in the test's output."""
        print("measured: %s" % text, file=sys.stderr)


def main():
    unittest.main(module="__main__", verbosity=2)
