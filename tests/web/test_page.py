"""The page in headless Chromium: what it shows, against morvelux-render's
frames at the ticks it reports, and how it paces, pauses and sleeps."""
import time

from web_harness import PageTestCase, main, wait_until

TITLE_MS = 4500
SITE_FILES = ["/", "/morvelux.js", "/morvelux.wasm"]

# Logs the tick after every animation frame the page asks for.
LOG_TICKS = """
window.ticksSeen = [];
const requestFrame = window.requestAnimationFrame.bind(window);
window.requestAnimationFrame = callback => requestFrame(time => {
  callback(time);
  if (window.morvelux) window.ticksSeen.push([performance.now(), window.morvelux.frame().tick]);
});
"""


class Desktop(PageTestCase):
    SIZE = (1280, 1024)

    def test_title_card_then_the_moire_exact_and_centred(self):
        browser = self.start_browser()
        tick, title = self.shows_frame()
        self.assertTrue(title, "the first frames carry the title card")
        self.assertEqual(browser.evaluate("window.morvelux.placement()"), {"zoom": 1, "x": 128, "y": 128})
        self.assertTrue(wait_until(lambda: browser.frame()["at"] > TITLE_MS + 200, 15), "the page stopped ticking")
        later, title = self.shows_frame()
        self.assertFalse(title, "the title card is gone after 4.5 s")
        self.assertGreater(later, tick + 20, "the moire moves on")
        self.assertEqual(self.site.asked, SITE_FILES, "the page asks for its own files only")

    def test_hidden_page_takes_no_ticks_and_comes_back_without_a_burst(self):
        browser = self.start_browser(before_load=LOG_TICKS, hidden=True)
        time.sleep(1.5)
        self.assertEqual(browser.frame()["tick"], 0)
        browser.set_window_state("normal")
        self.assertTrue(wait_until(lambda: browser.frame()["tick"] >= 1, 10))
        self.assertLess(browser.frame()["at"], 1000, "the saver starts when the page is first seen")
        self.assertTrue(wait_until(lambda: browser.frame()["tick"] >= 5, 10))
        browser.set_window_state("minimized")
        self.assertTrue(wait_until(lambda: browser.evaluate("document.visibilityState") == "hidden", 5))
        hidden_at = browser.evaluate("performance.now()")
        tick = browser.frame()["tick"]
        time.sleep(1.5)
        self.assertEqual(browser.frame()["tick"], tick, "no ticks while hidden")
        shown_at = browser.evaluate("performance.now()")
        browser.set_window_state("normal")
        time.sleep(1)
        seen = browser.evaluate("window.ticksSeen")
        self.assertFalse([s for s in seen if hidden_at + 100 < s[0] < shown_at], "animation frames while hidden")
        after = [s for s in seen if s[0] >= shown_at]
        self.assertTrue(after, "no animation frames after coming back")
        steps = [b[1] - a[1] for a, b in zip(seen, seen[1:])]
        self.assertLessEqual(max(steps), 1, "at most one tick per animation frame")
        ticked = [b[0] for a, b in zip(seen, seen[1:]) if b[1] > a[1]]
        self.assertGreater(min(b - a for a, b in zip(ticked, ticked[1:])), 50, "ticks 60 ms apart at the least")
        elapsed = after[-1][0] - after[0][0]
        self.assertLessEqual(after[-1][1] - after[0][1], elapsed / 60 + 1, "no catching up after the pause")
        self.assertLessEqual(after[0][1], tick + 1, "the motion goes on from where it stood")

    def test_space_pauses_and_f_and_escape_toggle_full_screen(self):
        browser = self.start_browser()
        self.assertTrue(wait_until(lambda: browser.frame()["tick"] >= 3, 10))
        browser.key("keyDown", " ", "Space", 32, " ")
        tick = browser.frame()["tick"]
        time.sleep(0.5)
        self.assertEqual(browser.frame()["tick"], tick, "holding Space pauses")
        browser.key("keyUp", " ", "Space", 32)
        self.assertTrue(wait_until(lambda: browser.frame()["tick"] > tick, 2), "letting go goes on")

        full_screen = "!!document.fullscreenElement"
        browser.key("keyDown", "f", "KeyF", 70, "f")
        browser.key("keyUp", "f", "KeyF", 70)
        self.assertTrue(wait_until(lambda: browser.evaluate(full_screen), 5), "f enters full screen")
        browser.key("keyDown", "Escape", "Escape", 27)
        browser.key("keyUp", "Escape", "Escape", 27)
        self.assertTrue(wait_until(lambda: not browser.evaluate(full_screen), 5), "Esc leaves full screen")

    def test_reduced_motion_starts_paused_with_a_play_button(self):
        browser = self.start_browser(reduced_motion=True)
        time.sleep(0.5)
        self.assertEqual(browser.frame()["tick"], 0)
        self.assertEqual(browser.evaluate("document.getElementById('play').textContent"), "Play")
        self.assertEqual(browser.evaluate("getComputedStyle(document.getElementById('controls')).opacity"), "1",
                         "the play button is shown")
        self.assertTrue(browser.evaluate("document.getElementById('moire').getAttribute('aria-label').length > 20"))
        browser.evaluate("document.getElementById('play').click()")
        self.assertTrue(wait_until(lambda: browser.frame()["tick"] > 2, 5), "Play starts the motion")
        self.assertEqual(browser.evaluate("document.getElementById('play').textContent"), "Pause")


class HighDensity(PageTestCase):
    SIZE = (1280, 1024)
    SCALE = 2

    def test_every_pattern_pixel_is_a_two_by_two_block(self):
        browser = self.start_browser()
        self.assertEqual(browser.evaluate("devicePixelRatio"), 2)
        self.shows_frame(zoom=2)


class SmallWindow(PageTestCase):
    SIZE = (801, 601)

    def test_the_middle_of_the_panel_cropped_by_the_rule(self):
        browser = self.start_browser()
        # (801 - 1024) / 2 = -111.5 and (601 - 768) / 2 = -83.5: both round to the even -112 and -84.
        self.assertEqual(browser.evaluate("window.morvelux.placement()"), {"zoom": 1, "x": -112, "y": -84})
        self.shows_frame()


if __name__ == "__main__":
    main()
