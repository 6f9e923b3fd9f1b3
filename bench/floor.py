"""What the Linux measuring scripts share when they hold a front end against
the minimal presenter of its display system: CPU and wake-ups of named
groups of processes over a stretch of time, runs of the program and the
presenter in turn, and the ratio between them.

CPU time is the scheduler's own count in nanoseconds (/proc/PID/task/*/
schedstat), not the clock ticks of /proc/PID/stat: a program that runs a
tenth of a millisecond sixteen times a second is far below their 10 ms.
Wake-ups are voluntary context switches from /proc: each is one time a
process went to sleep and was woken again.
"""
import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "x11"))
import x11_harness as h  # noqa: E402

# Where the runs keep their files: memory where it can, so that the trace
# file morvelux writes a line a frame into costs what the program does, not a disk.
SCRATCH = "/dev/shm" if Path("/dev/shm").is_dir() else None

HELD_CPU_GOAL = 0.05  # % of one core of the program while held
HELD_WAKE_GOAL = 1.0  # wake-ups per second of the program while held
RATIO_GOAL = 1.1      # program and server against presenter and server, while drawing


def wake_ups(pid):
    try:
        return h.wake_ups(pid)
    except OSError:  # gone meanwhile
        return None


def cpu_seconds(pid):
    """Time on a CPU of all the process's threads so far."""
    total = 0
    try:
        for task in Path("/proc/%d/task" % pid).iterdir():
            total += int((task / "schedstat").read_text().split()[0])
    except (OSError, ValueError):  # gone meanwhile
        pass
    return total / 1e9


class Meter:
    """CPU (% of one core) and wake-ups per second of named groups of pids
    between start() and stop()."""

    def __init__(self, groups):
        self.groups = groups  # name -> list of pids

    def _sample(self, count):
        return {name: sum(count(pid) or 0 for pid in pids) for name, pids in self.groups.items()}

    def start(self):
        self.started = time.monotonic()
        self.cpu, self.wakes = self._sample(cpu_seconds), self._sample(wake_ups)

    def stop(self):
        cpu, wakes = self._sample(cpu_seconds), self._sample(wake_ups)
        elapsed = time.monotonic() - self.started
        return {"seconds": round(elapsed, 2),
                "cpu_percent": {name: round(100 * (cpu[name] - self.cpu[name]) / elapsed, 3) for name in cpu},
                "wakeups_per_s": {name: round((wakes[name] - self.wakes[name]) / elapsed, 2) for name in wakes}}

    def measure(self, seconds):
        self.start()
        time.sleep(seconds)
        return self.stop()


def total_cpu(run):
    return sum(run["cpu_percent"].values())


def ratios(runs, program="morvelux", floor="presenter"):
    """The program's CPU with its server's against the presenter's with its
    server's: each program run against the presenter run beside it, and the
    mean over all of them."""
    drawn = [total_cpu(r) for r in runs if r["kind"] == program]
    base = [total_cpu(r) for r in runs if r["kind"] == floor]
    pairs = [d / b for d, b in zip(drawn, base) if b > 0]
    mean = statistics.fmean(drawn) / statistics.fmean(base) if drawn and base and statistics.fmean(base) else None
    return {"pairs": [round(p, 3) for p in pairs], "mean": round(mean, 3) if mean else None}


def describe(run, server):
    """One line: CPU and wake-ups of the program and its server."""
    cpu, wakes = run["cpu_percent"], run["wakeups_per_s"]
    client = next(name for name in cpu if name != server)
    return "%s %.3f %% + %s %.3f %% = %.3f %% of one core; wake-ups %.1f/s + %.1f/s" % (
        client, cpu[client], server, cpu[server], total_cpu(run), wakes[client], wakes[server])


def held_ok(run, program="morvelux"):
    return run["cpu_percent"][program] <= HELD_CPU_GOAL and run["wakeups_per_s"][program] <= HELD_WAKE_GOAL
