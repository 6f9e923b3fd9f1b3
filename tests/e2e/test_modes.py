#!/usr/bin/env python3
"""The mode switch the system starts a screen saver with: only its second
character counts, and the password change does nothing where no password
provider exists. (The configuration switches are with the About box tests.)"""
import time

import wine_harness as wh
from saver_screen import FullScreenCase


class Modes(FullScreenCase):

    def test_switches_that_run_full_screen(self):
        for switch in ("-s", "/S", "xS", "S", "/s:123"):
            with self.subTest(switch=switch):
                saver, window = self.start_saver(switch)
                self.assertEqual(self.wine.geometry(window), (0, 0, *self.wine.size))
                self.end_with_esc(saver, window)

    def test_password_change_without_provider_does_nothing(self):
        # Wine's own mpr.dll may or may not offer the entry point; either way nothing shows and the saver ends.
        for args in (["/a"], ["/a", "0"], ["-A", "12345"]):
            with self.subTest(args=args):
                saver = self.wine.saver(*args)
                shown, deadline = set(), time.monotonic() + 10
                while saver.poll() is None and time.monotonic() < deadline:
                    shown.update(self.wine.find_windows(pid=saver.pid))
                self.assertExits(saver, 0)
                self.assertEqual(shown, set(), "the saver showed windows")


if __name__ == "__main__":
    wh.main()
