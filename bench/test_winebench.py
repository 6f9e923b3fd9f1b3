#!/usr/bin/env python3
"""Checks what the bench scripts conclude from what they read: the readout
trace, the tick statistics, the process figures and the soak's growth check.
Needs no Wine and no display."""
import importlib.machinery
import importlib.util
import io
import os
import re
import subprocess
import sys
import tempfile
import unittest
from contextlib import redirect_stderr, redirect_stdout
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
import winebench as wb  # noqa: E402


def load_script(name):
    loader = importlib.machinery.SourceFileLoader(name.replace("-", "_"), str(HERE / name))
    spec = importlib.util.spec_from_loader(loader.name, loader)
    module = importlib.util.module_from_spec(spec)
    loader.exec_module(module)
    return module


def filetime(unix_seconds):
    return int(unix_seconds * 1e7) + wb.FILETIME_UNIX_EPOCH


def trace_of(intervals, renders=(), created=1000.0):
    """A trace file as the twin writes it: interval i at 1000 s + its sum."""
    lines = ["start %d" % filetime(created)]
    at = created + 0.2
    for i, ms in enumerate(intervals):
        at += ms / 1000
        lines.append("%d 9 %d" % (filetime(at), ms))
        lines.append("%d 4 %d" % (filetime(at + 0.0005), renders[i] if i < len(renders) else 0))
    f = tempfile.NamedTemporaryFile("w", suffix=".trace", delete=False)
    f.write("\n".join(lines) + "\n")
    f.close()
    return f.name


class TraceAndTicks(unittest.TestCase):
    def report(self, intervals, renders=()):
        path = trace_of(intervals, renders)
        self.addCleanup(os.unlink, path)
        return wb.Trace(path), wb.TickReport(wb.Trace(path))

    def test_trace_keeps_creation_time_and_splits_the_two_readouts(self):
        trace, _ = self.report([0, 17, 60], renders=[0, 1, 2])
        self.assertAlmostEqual(trace.created, 1000.0, places=5)
        self.assertEqual([ms for _, ms in trace.intervals], [0, 17, 60])
        self.assertEqual([ms for _, ms in trace.renders], [0, 1, 2])
        self.assertAlmostEqual(trace.intervals[2][0] - trace.intervals[1][0], 0.060, places=5)

    def test_activation_frame_and_first_tick_are_not_counted_as_ticks(self):
        _, ticks = self.report([0, 3, 60, 61])
        self.assertEqual(ticks.activation, [0, 3])
        self.assertEqual(ticks.ms, [60, 61])
        self.assertTrue(ticks.ok())

    def test_missed_and_bursting_thresholds(self):
        _, ticks = self.report([0, 10, 49, 50, 60, 119, 120, 200])
        self.assertEqual(ticks.bursting, 1)  # 49
        self.assertEqual(ticks.missed, 2)  # 120, 200
        self.assertFalse(ticks.ok())

    def test_no_ticks_is_not_a_pass(self):
        _, ticks = self.report([0])
        self.assertEqual(ticks.ms, [])
        self.assertFalse(ticks.ok())

    def test_host_clock_intervals_follow_the_readout_times(self):
        _, ticks = self.report([0, 20, 60, 70])
        self.assertEqual([round(ms, 3) for ms in ticks.exact_ms], [60.0, 70.0])

    def test_histogram_counts_each_value_once_at_the_bin_edges(self):
        values = [49, 50, 58, 59, 60, 60, 119, 120, 5000]
        counts = [int(re.search(r" ms +(\d+)", line).group(1)) for line in wb.histogram(values, wb.TICK_BINS)]
        self.assertEqual(sum(counts), len(values))
        self.assertEqual(counts[0], 1)  # 0-49
        self.assertEqual(counts[1], 2)  # 50-58
        self.assertEqual(counts[3], 2)  # 60
        self.assertEqual(counts[-1], 2)  # >= 120

    def test_distribution_of_nothing_is_zero(self):
        self.assertEqual(wb.distribution([])["count"], 0)
        self.assertEqual(wb.percentile([], 99), 0)
        self.assertEqual(wb.percentile(list(range(100)), 99), 99)


class ProcessFigures(unittest.TestCase):
    def test_cpu_time_and_memory_of_a_live_process(self):
        busy = subprocess.Popen([sys.executable, "-c", "import time\nt=time.process_time()\n"
                                 "while time.process_time()-t<0.3: pass\ntime.sleep(30)"])
        self.addCleanup(busy.wait)
        self.addCleanup(busy.kill)
        self.assertTrue(wb.wh.wait_until(lambda: (wb.cpu_seconds(busy.pid) or 0) >= 0.25, 10))
        self.assertGreater(wb.status_value(busy.pid, "VmRSS"), 0)
        self.assertEqual(wb.status_value(busy.pid, "Threads"), 1)

    def test_a_process_that_is_gone_has_no_figures(self):
        gone = subprocess.Popen([sys.executable, "-c", "pass"])
        gone.wait()
        self.assertIsNone(wb.cpu_seconds(gone.pid))
        self.assertIsNone(wb.status_value(gone.pid, "VmRSS"))
        self.assertIsNone(wb.open_fds(gone.pid))

    def test_cpu_meter_counts_only_what_was_used_in_between(self):
        seconds = iter([5.0, 7.5])
        meter = wb.CpuMeter({"saver": lambda: [1]})
        original = wb.cpu_seconds
        wb.cpu_seconds = lambda pid: next(seconds)
        try:
            meter.start()
            _, used = meter.stop()
        finally:
            wb.cpu_seconds = original
        self.assertAlmostEqual(used["saver"], 2.5)


class SoakGrowthCheck(unittest.TestCase):
    soak = load_script("soak")

    def compare(self, first, last):
        with redirect_stdout(io.StringIO()) as out:
            grew = self.soak.compare(first, last)
        return grew, out.getvalue()

    def test_growth_within_tolerance_passes_and_beyond_fails(self):
        first = {"vm_rss_kb": 26000, "private_kb": 7000, "windows": 6, "threads": 1}
        ok = {"vm_rss_kb": 26000 + 1024, "private_kb": 7000, "windows": 6, "threads": 1}
        self.assertEqual(self.compare(first, ok)[0], [])
        leaking = dict(ok, vm_rss_kb=26000 + 1025, windows=7)
        grew, _ = self.compare(first, leaking)
        self.assertEqual(grew, [self.soak.NAMES["vm_rss_kb"], self.soak.NAMES["windows"]])

    def test_counts_the_system_does_not_give_are_reported_not_checked(self):
        first = {"gdi": -1, "user": -1, "handles": 0, "vm_rss_kb": 100}
        last = {"gdi": -1, "user": -1, "handles": 0, "vm_rss_kb": 100}
        grew, text = self.compare(first, last)
        self.assertEqual(grew, [])
        self.assertIn("GDI objects", text)
        self.assertEqual(text.count("not counted by this system"), len(self.soak.NAMES) - 1)

    def test_real_counts_are_checked(self):
        grew, _ = self.compare({"gdi": 40, "user": 12, "handles": 80}, {"gdi": 43, "user": 12, "handles": 84})
        self.assertEqual(grew, [self.soak.NAMES["gdi"]])



class MeasureSaverScreens(unittest.TestCase):
    measure = load_script("measure-saver")

    def screen(self, *argv):
        return wb.screens.parse(self.measure.parse_args(list(argv)).screen)

    def test_monitors_and_zoom_choose_the_screen(self):
        self.assertEqual([len(self.screen("--monitors", str(n)).monitors) for n in (1, 2, 3)], [1, 2, 3])
        zoomed = self.screen("--zoom", "2")
        self.assertEqual(wb.screens.zoom(zoomed.primary, zoomed.dpi), 2)
        self.assertEqual(self.screen("--screen", "1280x1024").size, (1280, 1024))

    def test_conflicting_or_broken_screens_are_refused(self):
        for argv in (["--monitors", "2", "--zoom", "2"], ["--zoom", "2", "--screen", "800x600"],
                     ["--monitors", "4"], ["--screen", "1024x768+800x600"]):
            with self.subTest(argv=argv), self.assertRaises(SystemExit), redirect_stderr(io.StringIO()):
                self.measure.parse_args(argv)


if __name__ == "__main__":
    unittest.main()
