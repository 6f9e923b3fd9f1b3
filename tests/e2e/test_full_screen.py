#!/usr/bin/env python3
"""Full screen: the window and its panel on three screen sizes, the title
card of the first seconds, and the moving picture checked frame by frame
against the frames the animation should show."""
import time

import moire
import wine_harness as wh
from saver_screen import FullScreenCase

TITLE_REGION = (*moire.TITLE_AT, 320, 240)  # in the panel
TITLE_SECONDS = 4.5
MS_PER_PIXEL = (90, 160)  # one pixel of L every second 60 ms tick: 120 ms


class FullScreen(FullScreenCase):
    """On a 1024 x 768 screen the panel is the whole screen."""

    def test_title_card_then_the_moire_moving_a_pixel_every_120_ms(self):
        saver, window = self.start_saver()
        self.assertEqual(self.wine.geometry(window), (0, 0, 1024, 768))

        early = self.frame(title=True)
        self.assertLess(early.at, 3.0, "took too long to find a whole frame")
        self.report("start to window %.2fs; first look %.2fs after the window: tick %d, so the first frame came "
                    "about %.2fs after the start" % (self.shown - self.started, early.at, early.tick,
                                                     self.shown - self.started + early.at - early.tick * 0.060))
        card = moire.from_image(early.shot).crop(*TITLE_REGION)
        title = self.moire().title
        self.assertEqual(card.differences(title), 0, "the title card is shown unchanged")
        self.assertTrue(0.05 < card.black_fraction() < 0.12, "white card, black text: %.3f black"
                        % card.black_fraction())
        self.assert_rendered(early)

        wh.wait_until(lambda: time.monotonic() - self.shown > TITLE_SECONDS + 0.3, 10)
        first = self.frame(title=False)
        region = moire.from_image(first.shot).crop(*TITLE_REGION)
        self.assertTrue(0.35 < region.black_fraction() < 0.65, "moiré where the card was: %.3f black"
                        % region.black_fraction())
        self.assertGreater(region.differences(title), 10000)
        self.assert_rendered(first)

        time.sleep(3.5)
        second = self.frame(title=False)
        pixels_moved = second.image_left - first.image_left
        self.assertGreater(pixels_moved, 0, "the picture did not move: %s then %s" % (first, second))
        ms_per_pixel = (second.at - first.at) * 1000 / pixels_moved
        self.report("L moved %d px in %.2fs: %.1f ms a pixel (%s, then %s)" % (
            pixels_moved, second.at - first.at, ms_per_pixel, first, second))
        self.assertTrue(MS_PER_PIXEL[0] <= ms_per_pixel <= MS_PER_PIXEL[1], "%.1f ms a pixel" % ms_per_pixel)

        self.report("Esc to exit %.2fs" % self.end_with_esc(saver, window))

    def test_screen_saver_command_is_refused_while_running(self):
        saver, window = self.start_saver()
        ours = self.saver_window_info()
        before = self.frame()
        code, answer = self.wine.wininfo("send", ours["hwnd"], 0x0112, 0xF140, 0)  # WM_SYSCOMMAND, SC_SCREENSAVE
        self.assertEqual(code, 0)
        self.assertEqual(answer[0]["result"], 1, "the command is answered as handled")
        self.assertTrue(self.alive_after(saver, 0.5), "the saver ended")
        after = self.frame()
        self.assertGreater(after.tick, before.tick + 5, "the picture stopped: %s then %s" % (before, after))
        self.assertEqual(self.wine.geometry(window), (0, 0, 1024, 768))
        self.end_with_esc(saver, window)

    def test_application_window_carries_the_title_apart_from_the_caption(self):
        saver, window = self.start_saver()
        ours = self.saver_window_info()
        self.assertNotEqual(ours["owner"], 0, "the saver window has no application window over it")
        code, rows = self.wine.wininfo("hwnd", ours["owner"])
        self.assertEqual(code, 0)
        application = rows[0]
        self.assertEqual((application["pid"], application["visible"]), (ours["pid"], 0),
                         "the owner is not the saver's hidden application window: %s" % application)
        self.assertEqual(application["title"], "screen saver")
        self.end_with_esc(saver, window)


class FullScreenLarge(FullScreenCase):
    """On a 1280 x 1024 screen a 128-pixel black border surrounds the panel."""

    screen = "large"

    def test_black_border_round_the_panel(self):
        saver, window = self.start_saver()
        self.assertEqual(self.wine.geometry(window), (0, 0, 1280, 1024))
        self.assertEqual(self.panel_origin(), (128, 128))
        shot = self.wine.screenshot()
        for name, strip in (("top", (0, 0, 1280, 128)), ("bottom", (0, 896, 1280, 128)),
                            ("left", (0, 128, 128, 768)), ("right", (1152, 128, 128, 768))):
            pixels = shot.crop(*strip).data
            self.assertEqual(pixels.count(0), len(pixels), "the %s border is all black" % name)
        panel = shot.crop(128, 128, 1024, 768)
        self.assertGreater(panel.data.count(255), len(panel.data) // 5, "the panel shows the moiré")
        self.assert_rendered(self.frame())
        self.end_with_esc(saver, window)


class FullScreenSmall(FullScreenCase):
    """On an 800 x 600 screen only the middle of the panel is seen."""

    screen = "small"

    def test_panel_cropped_equally_on_all_sides(self):
        saver, window = self.start_saver()
        self.assertEqual(self.wine.geometry(window), (0, 0, 800, 600))
        self.assertEqual(self.panel_origin(), (-112, -84))
        self.assertEqual(self.visible_panel(), (112, 84, 800, 600))
        observation = self.frame()
        seen = moire.from_image(observation.shot)
        for name, line in (("top", seen.crop(0, 0, 800, 1)), ("bottom", seen.crop(0, 599, 800, 1)),
                           ("left", seen.crop(0, 0, 1, 600)), ("right", seen.crop(799, 0, 1, 600))):
            self.assertLess(line.black_fraction(), 0.9, "moiré up to the %s edge, no black border" % name)
        self.assert_rendered(observation)
        self.end_with_esc(saver, window)


if __name__ == "__main__":
    wh.main()
