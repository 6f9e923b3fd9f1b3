#!/usr/bin/env python3
"""A 3840 x 2160 monitor at 200 % (192 DPI): the panel drawn twice as large,
each of its pixels a 2 x 2 block, and the About box twice its designed size."""
import time

import wine_harness as wh
from monitor_screen import MonitorsCase
from test_about import AboutBoxCase

DESIGN_HEIGHT = 190  # the About box's outer height at 96 DPI
DESIGN_BUTTON = (73, 24)


class HighDpiFullScreen(MonitorsCase):

    screen = "hidpi"

    def test_panel_doubled_pixel_for_pixel_in_the_middle(self):
        saver, window = self.start_saver()
        self.assertEqual(self.views()[0].panel, (896, 312, 2048, 1536))
        shot, views = self.frames()  # frames() takes each 2 x 2 block as one pixel, or no frame at all
        self.assert_black_round_panels(shot, views)
        self.assert_rendered_views(views)
        time.sleep(0.5)
        _, later = self.frames()
        self.assertGreater(later[0].observation.tick, views[0].observation.tick, "the picture stands still")
        self.report("%s, then %s" % (views[0], later[0]))
        self.end_with_esc(saver, window)


class AboutAtHighDpi(AboutBoxCase):

    screen = "hidpi"

    def test_twice_the_designed_size_keeping_the_label_rule(self):
        with self.about("/c") as (saver, dialog, window):
            width, height = dialog.outer_size
            widths = self.expected_widths(dialog, scale=2)
            self.assertTrue(any(abs(width - w) <= 1 for w in widths), "width %d, from the label: %s" % (
                width, sorted(widths)))
            self.assertLessEqual(abs(height - 2 * DESIGN_HEIGHT), 12, "height %d" % height)
            screen_w, screen_h = self.wine.size
            left, top, right, bottom = dialog.rect
            self.assertLessEqual(abs(left + right - screen_w), 1, "centred across the screen")
            self.assertLessEqual(abs(top + bottom - screen_h), 1, "centred down the screen")

            x, _, w, h = self.ok_button_box(dialog, scale=2)
            self.assertLessEqual(max(abs(w - 2 * DESIGN_BUTTON[0]), abs(h - 2 * DESIGN_BUTTON[1])), 4,
                                 "the OK button is drawn %dx%d" % (w, h))
            self.assertLessEqual(abs(x - (dialog.client_size[0] - x - w)), 1, "OK is centred")
            self.report("About box at 192 DPI: %dx%d, OK button %dx%d" % (width, height, w, h))
            self.wine.key("Return", window=window)
            self.assertExits(saver, 0)


if __name__ == "__main__":
    wh.main()
