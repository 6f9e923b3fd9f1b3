#!/usr/bin/env python3
"""The session locked or disconnected under the running saver, told as
Windows tells a registered window: the picture stands still and the saver
uses no processor; unlocked or connected again, the motion goes on from the
frame it stood at, a tick at a time."""
import time

import wine_harness as wh
from saver_screen import FullScreenCase

WM_WTSSESSION_CHANGE = 0x02B1
WTS_REMOTE_CONNECT, WTS_REMOTE_DISCONNECT, WTS_SESSION_LOCK, WTS_SESSION_UNLOCK = 3, 4, 7, 8
HELD_S = 2.0
NOISE_CPU_S = 0.02  # two clock ticks over the held seconds
MS_PER_TICK = (45, 80)  # 60 ms, with the room the motion test allows


class SessionChanges(FullScreenCase):

    def notify(self, change):
        code, _ = self.wine.wininfo("post", self.hwnd, WM_WTSSESSION_CHANGE, change, 1)
        self.assertEqual(code, 0, "the notice could not be posted")

    def assert_held(self, seconds):
        """The frame after a hold stays for `seconds` and the saver uses no
        processor meanwhile; returns that frame."""
        time.sleep(0.3)
        first = self.frame()
        cpu = wh.cpu_seconds(self.saver.pid)
        time.sleep(seconds)
        cpu = wh.cpu_seconds(self.saver.pid) - cpu
        last = self.frame()
        self.assertEqual((last.tick, last.shot.data == first.shot.data), (first.tick, True),
                         "the picture changed while held: %s then %s" % (first, last))
        self.assertLessEqual(cpu, NOISE_CPU_S, "%.2f s of CPU in %g s held" % (cpu, seconds))
        return first

    def assert_goes_on_after(self, change, held):
        """After the notice the motion goes on from the held frame: as many
        steps as the time since then allows, exact frames."""
        before = time.monotonic()
        self.notify(change)
        after = time.monotonic()
        time.sleep(1.0)
        later = self.frame()
        self.assert_rendered(later)
        seen, steps = self.shown + later.at, later.tick - held.tick  # when the screenshot was taken
        fewest = (seen - after) * 1000 / MS_PER_TICK[1] - 2
        most = (seen - before) * 1000 / MS_PER_TICK[0] + 1
        self.assertTrue(fewest <= steps <= most, "%d steps in the %.2f to %.2f s since the release: %s then %s" % (
            steps, seen - after, seen - before, held, later))

    def test_locked_or_disconnected_it_stands_still_and_idles_then_goes_on(self):
        self.saver, window = self.start_saver()
        self.hwnd = self.saver_window_info()["hwnd"]
        self.notify(WTS_SESSION_LOCK)
        held = self.assert_held(HELD_S)
        self.assert_goes_on_after(WTS_SESSION_UNLOCK, held)

        self.notify(WTS_REMOTE_DISCONNECT)
        held = self.assert_held(0.5)
        self.assert_goes_on_after(WTS_REMOTE_CONNECT, held)
        self.end_with_esc(self.saver, window)


if __name__ == "__main__":
    wh.main()
