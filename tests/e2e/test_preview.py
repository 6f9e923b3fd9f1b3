#!/usr/bin/env python3
"""The preview inside another program's window: the saver's window is a
disabled child filling the preview area, and the saver ends when the host
closes it, destroys the area or goes away, and at once when there is no
usable host. (What the child shows is checked in-process by the window
tests: Wine draws nothing of a child whose top-level window belongs to
another process.)"""
import time
from pathlib import Path

import wine_harness as wh

PREVIEW_STYLE = 0x58000000  # WS_CHILD | WS_VISIBLE | WS_DISABLED
CS_PARENTDC = 0x80
ENDS_WITHIN_MS = 1000


class Preview(wh.E2ETestCase):

    def host(self, *schedule):
        """Starts the preview host with the saver; returns (host, area hwnd, area rect)."""
        host = self.wine.tool("preview_host", self.wine.saver_windows_path(), *schedule, "--wait", 8000)
        m = host.wait_for_line(r"^host hwnd=\d+ area=(\d+) rect=(-?\d+),(-?\d+),(-?\d+),(-?\d+)")
        return host, int(m.group(1)), [int(v) for v in m.groups()[1:]]

    def wait_saver_window(self, host, rect):
        """The saver's window once it fills the area, visible (its first report may come before it is sized)."""
        pattern = r"^saver window hwnd=(\d+) rect=%d,%d,%d,%d style=0x%08X classstyle=0x([0-9A-F]+)" % (
            *rect, PREVIEW_STYLE)
        m = host.wait_for_line(pattern, timeout=10)
        return int(m.group(1)), int(m.group(2), 16)

    def ms_of(self, host, pattern):
        return int(host.wait_for_line(pattern).group(1))

    def test_disabled_child_filling_the_area_until_closed(self):
        host, area, rect = self.host("--close-after", 2500)
        hwnd, class_style = self.wait_saver_window(host, rect)
        self.assertEqual(class_style, CS_PARENTDC)
        code, rows = self.wine.wininfo("hwnd", hwnd)
        self.assertEqual(code, 0, "the saver's window is gone already")
        self.assertEqual(rows[0]["parent"], area)
        self.assertEqual(rows[0]["enabled"], 0)
        self.assertEqual(rows[0]["client"], [rect[2] - rect[0], rect[3] - rect[1]])
        self.assertEqual(self.wine.find_windows(name="^screen saver$"), [], "no full-screen window as well")
        closed = self.ms_of(host, r"^sent WM_CLOSE to %d at (\d+) ms" % hwnd)
        ended = self.ms_of(host, r"^saver ended at (\d+) ms")
        host.wait_for_line(r"^saver exit code 0$")
        self.assertLess(ended - closed, ENDS_WITHIN_MS)
        self.assertExits(host, 0)

    def test_ends_when_the_host_destroys_the_area_without_closing_it(self):
        host, area, rect = self.host("--destroy-after", 1500)
        self.wait_saver_window(host, rect)
        destroyed = self.ms_of(host, r"^destroyed host window at (\d+) ms")
        ended = self.ms_of(host, r"^saver ended at (\d+) ms")
        host.wait_for_line(r"^saver exit code 0$")
        self.assertLess(ended - destroyed, ENDS_WITHIN_MS)
        self.assertExits(host, 0)

    def test_ends_when_the_host_process_ends(self):
        host, area, rect = self.host("--exit-after", 1500)
        self.wait_saver_window(host, rect)
        self.assertTrue(self.savers_running(), "the saver is not running")
        self.assertExits(host, 0)
        host_gone = time.monotonic()
        self.assertTrue(wh.wait_until(lambda: not self.savers_running(), 5), "the saver outlived its host")
        self.assertLess(time.monotonic() - host_gone, ENDS_WITHIN_MS / 1000)

    def test_ends_at_once_without_a_usable_host(self):
        baseline = self.run_time(lambda: self.wine.tool("wininfo", "screen"))
        for args in (["/p", "0"], ["/p", "12345"], ["/p"], ["/P", "nonsense"]):
            with self.subTest(args=args):
                took = self.run_time(lambda: self.wine.saver(*args))
                self.assertLess(took, baseline + ENDS_WITHIN_MS / 1000,
                                "%s ran %.2fs; a program that does nothing runs %.2fs" % (args, took, baseline))

    def run_time(self, start):
        """How long the program start() starts runs; it must end with code 0."""
        started = time.monotonic()
        self.assertExits(start(), 0)
        return time.monotonic() - started

    def savers_running(self):
        name = Path(self.wine.config["saver"]).name.lower()
        return [p for p in wh.processes_in_prefix(self.wine.prefix) if p.image.lower() == name]


if __name__ == "__main__":
    wh.main()
