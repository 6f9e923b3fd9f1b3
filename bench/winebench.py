"""The Wine session the bench scripts watch the saver in, and what they
read of it.

A session has its own Xvfb (a display number it picks itself; with several
monitors a Xephyr with Xinerama inside it), its own Wine prefix under the
build tree (booted once, then reused; never the e2e tests' or the unit
tests' prefix) and its own wineserver, which serves that one screen. One
session at a time per build tree: a lock file serialises them.
Leaving the session ends exactly what it started.

Besides: CPU time and memory of Linux processes from /proc, the readout
trace that MorveluxTrace.scr writes, and the tick statistics made from it.
Standard library only; the Xvfb, prefix and wineserver helpers are the e2e
harness's.
"""
import fcntl
import json
import os
import shutil
import signal
import statistics
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
import e2e_fixture  # noqa: E402
import pixels  # noqa: E402
import screens  # noqa: E402
import wine_harness as wh  # noqa: E402

FRAME_MS = 60
MISSED_MS = 2 * FRAME_MS  # a tick this late means one was skipped
BURST_MS = 50  # a tick this soon after the last one came too early
FILETIME_UNIX_EPOCH = 116444736000000000  # 1970-01-01 in 100 ns units since 1601


def log(message):
    print(message, flush=True)


def find_wine():
    wine64 = Path("/usr/lib/wine/wine64")
    wineserver = Path("/usr/lib/wine/wineserver")
    return {"wine64": str(wine64 if wine64.exists() else shutil.which("wine64") or shutil.which("wine")),
            "wineserver": str(wineserver if wineserver.exists() else shutil.which("wineserver"))}


def build(targets):
    """Builds the win64 preset's targets the script needs (quietly; errors shown)."""
    for command in (["cmake", "--preset", "win64"],
                    ["cmake", "--build", "--preset", "win64", "-j2", "--target"] + list(targets)):
        result = subprocess.run(command, cwd=ROOT, capture_output=True, text=True)
        if result.returncode != 0:
            sys.stderr.write(result.stdout + result.stderr)
            raise SystemExit("bench: %s failed" % " ".join(command))


def exit_on_sigterm():
    """Turns SIGTERM (a test timeout, a kill) into SystemExit, so the session still cleans up."""
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))


# --- Linux processes -------------------------------------------------------------

cpu_seconds = wh.cpu_seconds


def context_switches(pid):
    """Voluntary and involuntary context switches of each thread of a process: thread id -> count."""
    counts = {}
    try:
        threads = os.listdir("/proc/%d/task" % pid)
    except OSError:
        return counts
    for tid in threads:
        total = 0
        for line in wh._read("/proc/%d/task/%s/status" % (pid, tid)).decode(errors="replace").splitlines():
            if "ctxt_switches:" in line:
                total += int(line.split()[1])
        counts[tid] = total
    return counts


def status_value(pid, key):
    """A number of /proc/PID/status (VmRSS and VmHWM in KiB, Threads), or None."""
    for line in wh._read("/proc/%d/status" % pid).decode(errors="replace").splitlines():
        if line.startswith(key + ":"):
            return int(line.split()[1])
    return None


def open_fds(pid):
    try:
        return len(os.listdir("/proc/%d/fd" % pid))
    except OSError:
        return None


class CpuMeter:
    """CPU time of named groups of processes between start() and stop()."""

    def __init__(self, groups):
        self.groups = groups  # name -> callable giving the group's pids now

    def _sample(self):
        return {name: {pid: cpu_seconds(pid) for pid in pids()} for name, pids in self.groups.items()}

    def start(self):
        self.before, self.started = self._sample(), time.monotonic()

    def stop(self):
        after, elapsed = self._sample(), time.monotonic() - self.started
        used = {}
        for name, pids in after.items():
            total = 0.0
            for pid, seconds in pids.items():
                if seconds is not None:
                    total += seconds - (self.before[name].get(pid) or 0.0)
            used[name] = total
        return elapsed, used


# --- the session -------------------------------------------------------------------

class Session:
    def __init__(self, build_dir, spec="1024x768"):
        """spec: the screen, as the e2e tests write it (screens.py): 1024x768,
        3840x2160/192, or monitors such as 1024x768+1280x1024@1024,0."""
        self.build_dir = Path(build_dir).resolve()
        self.dir = self.build_dir / "bench" / "wine"
        self.prefix = self.dir / "prefix"
        self.spec = spec
        self.layout = screens.parse(spec)
        self.config = find_wine()
        self.display = None
        self.x_pids = {}  # "xvfb" and, with several monitors, "xephyr"
        self.count = 0

    @property
    def xvfb_pid(self):
        return self.x_pids.get("xvfb")

    # entering and leaving

    def __enter__(self):
        self.dir.mkdir(parents=True, exist_ok=True)
        self._lock = open(self.dir / "session.lock", "w")
        try:
            fcntl.flock(self._lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
        except BlockingIOError:
            log("bench: another bench session runs in %s; waiting for it" % self.dir)
            fcntl.flock(self._lock, fcntl.LOCK_EX)
        for old in self.dir.glob("*.out"):
            old.unlink()
        try:
            self._end_leftovers()
            self._start_screen()
            self._boot_prefix()
            self._apply_wine_settings()
            wh.start_wineserver(self.config, self.prefix, {"display": self.display}, self.dir / "wineserver.log")
            if not self.wineserver_pids():
                raise wh.HarnessError("the wineserver did not start; see %s" % (self.dir / "wineserver.log"))
            # The session's first program starts Wine's services; let that
            # happen now rather than while the saver is measured.
            self.run(self.programs()["procstat"], "0", timeout=120)
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        wh.stop_wineserver(self.config, str(self.prefix))
        e2e_fixture.stop_screen({"xvfb_pid": 0, **{k + "_pid": v for k, v in self.x_pids.items()}})
        (self.dir / "state.json").unlink(missing_ok=True)
        self._lock.close()
        return False

    def _start_screen(self):
        state = e2e_fixture.start_screen(self.spec, self.dir / "xvfb.log")
        self.display = state["display"]
        self.x_pids = {kind: state[kind + "_pid"] for kind in ("xvfb", "xephyr") if kind + "_pid" in state}
        wh.save_json(self.dir / "state.json", state)

    def _end_leftovers(self):
        """Ends what an interrupted session of this tree left running."""
        state_path = self.dir / "state.json"
        if state_path.exists():
            e2e_fixture.stop_screen({"xvfb_pid": 0, **wh.load_json(state_path)})
            state_path.unlink()
        if self.prefix.exists():
            wh.stop_wineserver(self.config, str(self.prefix))

    def _apply_wine_settings(self):
        """Where Wine takes the monitors from and its DPI; the prefix is
        reused by sessions on other screens, so it remembers what it was told."""
        settings = self.layout.wine_settings()
        told = self.prefix / ".morvelux-bench-wine-settings.json"
        if told.exists() and wh.load_json(told) == settings:
            return
        wh.apply_wine_settings(self.config, str(self.prefix), self.display, settings, self.dir)
        wh.stop_wineserver(self.config, str(self.prefix))
        wh.save_json(told, settings)

    def _boot_prefix(self):
        ready = self.prefix / ".morvelux-bench-ready"
        if ready.exists():
            return
        log("bench: making the Wine prefix %s (once)" % self.prefix)
        shutil.rmtree(self.prefix, ignore_errors=True)
        e2e_fixture.boot_prefix(self.config, self.prefix, self.display, self.dir / "wineboot.log")
        wh.stop_wineserver(self.config, str(self.prefix))
        ready.touch()

    # programs

    def programs(self):
        b = self.build_dir
        return {"saver": b / "app" / "Morvelux.scr", "trace": b / "bench" / "MorveluxTrace.scr",
                "procstat": b / "bench" / "procstat.exe"}

    def env(self, extra=None):
        env = wh.wine_environment(self.config, self.prefix, self.display)
        env.update(extra or {})
        return env

    def start(self, exe, *args, env=None):
        """Starts a Windows program; its output goes to files in the session folder."""
        self.count += 1
        out = self.dir / ("%02d-%s.out" % (self.count, Path(exe).stem))
        with open(out, "wb") as stdout:
            return subprocess.Popen([self.config["wine64"], str(exe)] + [str(a) for a in args], env=self.env(env),
                                    stdin=subprocess.DEVNULL, stdout=stdout, stderr=subprocess.STDOUT,
                                    start_new_session=True)

    def run(self, exe, *args, timeout=60):
        """Runs a Windows program to its end; returns (exit code, output)."""
        proc = self.start(exe, *args)
        try:
            code = proc.wait(timeout)
        except subprocess.TimeoutExpired:
            wh.kill_pid(proc.pid)
            proc.wait(5)
            raise wh.HarnessError("%s did not end within %gs" % (Path(exe).name, timeout))
        out = self.dir / ("%02d-%s.out" % (self.count, Path(exe).stem))
        return code, out.read_text(errors="replace")

    def wine_processes(self):
        return wh.processes_in_prefix(str(self.prefix))

    def wineserver_pids(self):
        return wh.wineserver_pids(str(self.prefix))

    def process_named(self, image, timeout=30):
        """The Linux pid of the Wine process running IMAGE (found by its command line)."""
        def find():
            return next((p.pid for p in self.wine_processes() if p.image.lower() == image.lower()), None)
        pid = wh.wait_until(find, timeout)
        if not pid:
            raise wh.HarnessError("no process %s appeared within %gs" % (image, timeout))
        return pid

    def procstat(self, image):
        """GDI objects, USER objects, handles and memory of a Windows process, as procstat reports them."""
        code, out = self.run(self.programs()["procstat"], image, timeout=60)
        line = out.strip().splitlines()[-1] if out.strip() else ""
        fields = wh.parse_fields("procstat " + line) if code == 0 and line else {}
        fields.pop("kind", None)
        return fields

    # X

    def xdotool(self, *args):
        result = subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env(), capture_output=True,
                                text=True, timeout=15)
        return result.stdout.strip() if result.returncode == 0 else ""

    def windows_of(self, pid):
        return [int(w) for w in self.xdotool("search", "--onlyvisible", "--pid", pid).split()]

    def screenshot(self, region):
        result = subprocess.run(["xwd", "-root", "-silent", "-display", self.display], capture_output=True,
                                timeout=15)
        return pixels.read_xwd(result.stdout).crop(*region) if result.returncode == 0 else None

    def press_escape(self, window):
        """Esc to the saver as a user would: once its window has the X focus."""
        focused = lambda: self.xdotool("getwindowfocus", "-f") == str(window)  # noqa: E731
        if not wh.wait_until(focused, 3):
            self.xdotool("windowfocus", "--sync", window)
        self.xdotool("key", "Escape")


def end_saver(session, proc, timeout=10):
    """Ends a running saver with Esc; kills it if that does not work. Returns
    its exit code, or None when it had to be killed."""
    windows = session.windows_of(proc.pid)
    if windows:
        session.press_escape(windows[0])
    try:
        return proc.wait(timeout)
    except subprocess.TimeoutExpired:
        wh.kill_pid(proc.pid)
        proc.wait(5)
        return None


def wait_first_frame(session, proc, timeout=60, interval=0.03):
    """Seconds from now until the saver's window shows its first frame: the
    title card, white in the middle of a black screen. None if it never does."""
    primary = session.layout.primary
    centre = (primary.x + primary.width // 2 - 100, primary.y + primary.height // 2 - 60, 200, 120)
    started = time.monotonic()
    while time.monotonic() - started < timeout and proc.poll() is None:
        if session.windows_of(proc.pid):
            shot = session.screenshot(centre)
            if shot and shot.data.count(255) > len(shot.data) // 2:
                return time.monotonic() - started
        time.sleep(interval)
    return None


# --- the readout trace -----------------------------------------------------------

class Trace:
    """What MorveluxTrace.scr recorded: the process's creation time and its
    readouts in order, times as Unix seconds."""

    def __init__(self, path):
        self.created = None
        self.intervals, self.renders = [], []  # (time, ms): Label9 and Label4
        for line in Path(path).read_text().splitlines():
            words = line.split()
            if words[:1] == ["start"]:
                self.created = unix_seconds(int(words[1]))
            elif len(words) == 3:
                at, label, ms = unix_seconds(int(words[0])), words[1], int(words[2])
                (self.intervals if label == "9" else self.renders).append((at, ms))


def unix_seconds(filetime):
    return (filetime - FILETIME_UNIX_EPOCH) / 1e7


def distribution(values):
    return {"count": len(values), "mean": statistics.fmean(values) if values else 0.0,
            "min": min(values, default=0), "max": max(values, default=0),
            "p50": percentile(values, 50), "p99": percentile(values, 99)}


def percentile(values, p):
    if not values:
        return 0
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(len(ordered) * p / 100))]


class TickReport:
    """The pacing the trace shows. The first interval readout belongs to the
    frame composed at activation (time since the layers were reset) and the
    second to the first tick after it, which follows the idle loop's own
    rhythm rather than the activation; neither is a tick-to-tick interval."""

    def __init__(self, trace):
        self.activation = [ms for _, ms in trace.intervals[:2]]
        ticks = trace.intervals[2:]
        self.ms = [ms for _, ms in ticks]
        self.exact_ms = [(b[0] - a[0]) * 1000 for a, b in zip(trace.intervals[1:], ticks)]
        self.missed = sum(ms >= MISSED_MS for ms in self.ms)
        self.bursting = sum(ms < BURST_MS for ms in self.ms)
        self.renders = [ms for _, ms in trace.renders]

    def ok(self):
        return bool(self.ms) and self.missed == 0 and self.bursting == 0

    def lines(self):
        d, e = distribution(self.ms), distribution(self.exact_ms)
        out = ["ticks (interval readout, Label9): %d intervals after the activation frame" % d["count"],
               "  mean %.2f ms  min %d  p50 %d  p99 %d  max %d" % (d["mean"], d["min"], d["p50"], d["p99"], d["max"]),
               "  host clock between readouts: mean %.2f ms  min %.2f  max %.2f" % (e["mean"], e["min"], e["max"]),
               "  missed (>= %d ms): %d   bursting (< %d ms): %d" % (MISSED_MS, self.missed, BURST_MS,
                                                                    self.bursting),
               "  activation frame readout %s ms, first tick after it %s ms (not counted)" % tuple(
                   (self.activation + ["-", "-"])[:2])]
        out += histogram(self.ms, TICK_BINS)
        r = distribution(self.renders)
        out += ["render time (Label4): %d frames  mean %.2f ms  p50 %d  p99 %d  max %d" % (
            r["count"], r["mean"], r["p50"], r["p99"], r["max"])]
        out += histogram(self.renders, [(v, v) for v in range(0, 5)] + [(5, 9), (10, 10 ** 9)])
        return out


TICK_BINS = [(0, BURST_MS - 1), (BURST_MS, 58), (59, 59), (60, 60), (61, 61), (62, 62), (63, 65), (66, 80),
             (81, MISSED_MS - 1), (MISSED_MS, 10 ** 9)]


def histogram(values, bins, width=40):
    counts = [sum(lo <= v <= hi for v in values) for lo, hi in bins]
    top = max(counts, default=0) or 1
    out = []
    for (lo, hi), n in zip(bins, counts):
        label = "%d" % lo if lo == hi else (">= %d" % lo if hi >= 10 ** 9 else "%d-%d" % (lo, hi))
        bar = "#" * (n * width // top) if n else ""
        out.append("    %9s ms %6d %s" % (label, n, bar))
    return out


def save_json(path, data):
    Path(path).write_text(json.dumps(data, indent=2) + "\n")
