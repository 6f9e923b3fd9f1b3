#!/usr/bin/env python3
"""Full screen over several monitors (Xephyr with Xinerama, seen by Wine as
real monitors): every monitor black with the panel centred on it, all panels
showing the same frame, windows on other monitors covered, and the input
rules over any panel and any black."""
import time

import wine_harness as wh
from monitor_screen import MonitorsCase
from pixels import near
from test_input import GRACE_S, MOVE_INTERVAL_S, path

LEFT_OPEN = "FF00FF"  # a window's colour that nothing of the saver's can show
MAGENTA = (0xFF, 0x00, 0xFF)
WM_DISPLAYCHANGE, WM_SETTINGCHANGE, SPI_SETWORKAREA = 0x007E, 0x001A, 0x002F


class AllMonitorsCase(MonitorsCase):

    def check_all_covered(self):
        """Opens a window on the second monitor, starts the saver, and checks
        that every monitor shows the same frame with black round it, the
        window nowhere seen, and the picture moving on all of them. Returns
        (saver process, its X window, the window left open, the Views)."""
        probe, _ = self.probe_on(self.wine.monitors[1], LEFT_OPEN)
        saver, window = self.start_saver()
        shot, views = self.frames()
        self.assertEqual(shot.count(near(MAGENTA)), 0, "the window open on the second monitor is seen")
        self.assert_black_round_panels(shot, views)
        self.assert_rendered_views(views)
        time.sleep(0.5)
        _, later = self.frames()
        self.assertGreater(later[0].observation.tick, views[0].observation.tick, "the picture stands still")
        self.report("; ".join(map(str, later)))
        return saver, window, probe, later


class TwoMonitors(AllMonitorsCase):
    """A 1280 x 1024 monitor right of the 1024 x 768 primary."""

    screen = "dual"

    def test_the_same_frame_on_both_over_what_was_open_and_esc_ends(self):
        saver, window, probe, _ = self.check_all_covered()
        self.end_with_esc(saver, window)
        self.close_probe(probe)

    def test_moves_over_the_second_panel_and_over_its_border(self):
        second = self.views()[1]
        saver, _ = self.start_saver()
        wh.wait_until(lambda: time.monotonic() - self.shown > GRACE_S + 1.2, 10)
        self.wine.mouse_moves(path(*second.point(400, 300), 25), MOVE_INTERVAL_S)
        self.assertTrue(self.alive_after(saver, 0.4), "25 moves over the second panel ended the saver")
        moved = time.monotonic()
        self.wine.mouse_move(*second.point(600, 500))
        self.assertEndsAtOnce(saver, moved, "the 26th move over the second panel")

        saver, _ = self.start_saver()
        border = second.border()[0]  # above the panel
        self.wine.mouse_moves(path(border[0] + 20, border[1] + 20, 8, dx=2, dy=3), MOVE_INTERVAL_S)
        self.assertTrue(self.alive_after(saver, 0.4), "8 moves over the second monitor's border ended the saver")
        moved = time.monotonic()
        self.wine.mouse_move(border[0] + border[2] - 40, border[1] + 60)
        self.assertEndsAtOnce(saver, moved, "the ninth move over the second monitor's border")


class LeftOfThePrimary(AllMonitorsCase):
    """A 1280 x 1024 monitor left of the primary: negative Windows coordinates."""

    screen = "left"

    def test_the_same_frame_on_both_and_a_click_on_the_left_panel_ends_it(self):
        saver, window, probe, views = self.check_all_covered()
        self.wine.wait_focus(window)
        self.wine.mouse_move(*views[1].point(300, 200))
        pressed = time.monotonic()
        self.wine.click()
        self.assertEndsAtOnce(saver, pressed, "a click on the left monitor's panel")
        self.close_probe(probe)


class ThreeMonitors(AllMonitorsCase):
    """The primary, a 1280 x 1024 monitor right of it and an 800 x 600 one
    above it, which shows only the middle of its panel."""

    screen = "triple"

    def test_the_same_frame_on_all_three_through_display_changes_and_esc_ends(self):
        saver, window, probe, before = self.check_all_covered()
        ours = self.saver_window_info()
        # What Windows sends on a change of monitors; Wine cannot change Xephyr's while it runs.
        changes = ((WM_DISPLAYCHANGE, 32, 1024 | 768 << 16), (WM_SETTINGCHANGE, SPI_SETWORKAREA, 0))
        for message, wparam, lparam in changes:
            code, _ = self.wine.wininfo("send", ours["hwnd"], message, wparam, lparam)
            self.assertEqual(code, 0, "message 0x%X was not answered" % message)
        shot, after = self.frames()
        self.assertGreater(after[0].observation.tick, before[0].observation.tick, "the motion started again")
        self.assert_black_round_panels(shot, after)
        self.end_with_esc(saver, window)
        self.close_probe(probe)


if __name__ == "__main__":
    wh.main()
