"""The page in headless Chromium: what it shows, against morvelux-render's
frames at the ticks it reports, and how it paces, pauses and sleeps."""
import time

from web_harness import PageTestCase, main, wait_until

# Logs [time, tick, composed at] after every animation frame the page asks
# for. The spacing of ticks is judged by the core's own tick times: the time
# a callback ends also carries how long drawing took, which a loaded machine
# stretches.
LOG_TICKS = """
window.ticksSeen = [];
const requestFrame = window.requestAnimationFrame.bind(window);
window.requestAnimationFrame = callback => requestFrame(time => {
  callback(time);
  if (window.morvelux) {
    const shown = window.morvelux.frame();
    window.ticksSeen.push([performance.now(), shown.tick, shown.at]);
  }
});
"""


class Desktop(PageTestCase):
    def test_title_card_then_the_moire_exact_and_centred(self):
        browser = self.start_browser()
        first = self.shows_frame()
        self.assertTrue(first["title"], "the first frames carry the title card")
        self.assertEqual(browser.evaluate("window.morvelux.placement()"), {"zoom": 1, "x": 128, "y": 128})
        self.assertTrue(wait_until(lambda: browser.frame()["at"] > 4700, 15), "the page stopped ticking")
        later = self.shows_frame()
        self.assertFalse(later["title"], "the title card is gone after 4.5 s")
        self.assertGreater(later["tick"], first["tick"] + 20)
        files = browser.evaluate("performance.getEntriesByType('resource').map(e => new URL(e.name).pathname)")
        self.assertEqual(sorted(files), ["/morvelux.js", "/morvelux.wasm"], "nothing but its own files")

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
        hidden_at, tick = browser.evaluate("performance.now()"), browser.frame()["tick"]
        time.sleep(1.5)
        self.assertEqual(browser.frame()["tick"], tick, "no ticks while hidden")
        shown_at = browser.evaluate("performance.now()")
        browser.set_window_state("normal")
        self.assertTrue(wait_until(lambda: browser.frame()["tick"] >= tick + 5, 10), "it goes on when shown")
        seen = browser.evaluate("window.ticksSeen")
        self.assertFalse([s for s in seen if hidden_at + 100 < s[0] < shown_at], "animation frames while hidden")
        after = [s for s in seen if s[0] >= shown_at]
        self.assertLessEqual(after[0][1], tick + 1, "the motion goes on from where it stood")
        self.assertLessEqual(max(b[1] - a[1] for a, b in zip(seen, seen[1:])), 1, "one tick per frame at most")
        ticked = [b[2] for a, b in zip(seen, seen[1:]) if b[1] > a[1]]
        self.assertGreaterEqual(min(b - a for a, b in zip(ticked, ticked[1:])), 60, "ticks 60 ms apart at the least")

    def test_space_pauses_and_f_and_escape_toggle_full_screen(self):
        browser = self.start_browser()
        self.assertTrue(wait_until(lambda: browser.frame()["tick"] >= 3, 10))
        browser.key("keyDown", " ", "Space", 32)
        tick = browser.frame()["tick"]
        time.sleep(0.5)
        self.assertEqual(browser.frame()["tick"], tick, "holding Space pauses")
        browser.key("keyUp", " ", "Space", 32)
        self.assertTrue(wait_until(lambda: browser.frame()["tick"] > tick, 2), "letting go goes on")

        full_screen = "!!document.fullscreenElement"
        browser.key("keyDown", "f", "KeyF", 70)
        self.assertTrue(wait_until(lambda: browser.evaluate(full_screen), 5), "f enters full screen")
        browser.key("keyDown", "Escape", "Escape", 27)
        self.assertTrue(wait_until(lambda: not browser.evaluate(full_screen), 5), "Esc leaves full screen")

    def test_reduced_motion_starts_paused_with_a_play_button(self):
        browser = self.start_browser(media=[("prefers-reduced-motion", "reduce")])
        time.sleep(0.5)
        self.assertEqual(browser.frame()["tick"], 0)
        self.assertEqual(browser.evaluate("document.getElementById('play').textContent"), "Play")
        self.assertEqual(browser.evaluate("getComputedStyle(document.getElementById('controls')).opacity"), "1")
        self.assertTrue(browser.evaluate("document.getElementById('moire').getAttribute('aria-label').length > 20"))
        browser.evaluate("document.getElementById('play').click()")
        self.assertTrue(wait_until(lambda: browser.frame()["tick"] > 2, 5), "Play starts the motion")
        self.assertEqual(browser.evaluate("document.getElementById('play').textContent"), "Pause")


class HighDensity(PageTestCase):
    SCALE = 2

    def test_every_pattern_pixel_is_a_two_by_two_block(self):
        self.start_browser()
        self.assertEqual(self.browser.evaluate("devicePixelRatio"), 2)
        self.shows_frame(zoom=2)


class SmallWindow(PageTestCase):
    SIZE = (801, 601)

    def test_the_middle_of_the_panel_cropped_by_the_rule(self):
        browser = self.start_browser()
        # (801 - 1024) / 2 = -111.5 and (601 - 768) / 2 = -83.5: halves round to the even -112 and -84.
        self.assertEqual(browser.evaluate("window.morvelux.placement()"), {"zoom": 1, "x": -112, "y": -84})
        self.shows_frame()


if __name__ == "__main__":
    main()
