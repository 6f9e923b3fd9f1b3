"""The page in headless Chromium: what it shows, against morvelux-render's
frames at the ticks it reports, how it paces, pauses and sleeps, and how it
installs, works offline, keeps the screen awake and fails."""
import json
import shutil
import subprocess
import time

from web_harness import SITE, PageTestCase, main, wait_until

# Logs [frame time, tick, composed at, called at] after every animation
# frame the page asks for. The frame's time is when it began, not when its
# callback ended, which drawing on a loaded machine stretches.
LOG_TICKS = """
window.ticksSeen = [];
const requestFrame = window.requestAnimationFrame.bind(window);
window.requestAnimationFrame = callback => requestFrame(time => {
  const calledAt = performance.now();
  callback(time);
  if (window.morvelux) {
    const shown = window.morvelux.frame();
    window.ticksSeen.push([time, shown.tick, shown.at, calledAt]);
  }
});
"""

# Keeps every screen wake lock the page is given.
WATCH_WAKE_LOCKS = """
window.wakeLocks = [];
const requestLock = navigator.wakeLock.request.bind(navigator.wakeLock);
navigator.wakeLock.request = type => requestLock(type).then(lock => (window.wakeLocks.push(lock), lock));
"""
# The display modes of an installed app, which DevTools cannot emulate.
AS_INSTALLED_APP = """
const match = window.matchMedia.bind(window);
window.matchMedia = query => query.includes('display-mode') ? Object.assign(new EventTarget(), { matches: true })
                                                            : match(query);
"""
LOCKS_HELD = "window.wakeLocks.filter(lock => !lock.released).length"
FULL_SCREEN = "!!document.fullscreenElement"
ALERT = "(alert => alert && !alert.hidden ? alert.dataset.kind : null)(document.getElementById('alert'))"


def ticks_in(seen):
    """The entries of LOG_TICKS's frames that took a tick."""
    return [b for a, b in zip(seen, seen[1:]) if b[1] > a[1]]


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
        files = browser.evaluate("performance.getEntriesByType('resource').map(e => e.name)")
        self.assertTrue(files)
        self.assertFalse({f for f in files if not f.startswith(self.url) or not (SITE / f[len(self.url):]).is_file()},
                         "nothing but its own files")

    def test_ticks_keep_the_saver_pace_and_a_stall_brings_one_tick(self):
        browser = self.start_browser(before_load=LOG_TICKS)
        time.sleep(10.5)
        ticks = ticks_in(browser.evaluate("window.ticksSeen"))
        ticks = [t for t in ticks if t[0] >= ticks[-1][0] - 10000]
        # By when each tick was due: the frames that show the first and the
        # last of them may each come up to a frame late, which alone moves
        # a mean of frame times by a tenth of a millisecond either way.
        mean = (ticks[-1][2] - ticks[0][2]) / (len(ticks) - 1)
        self.assertTrue(60 <= mean <= 62, "a tick every %.2f ms on average" % mean)

        stalled_until = browser.evaluate("{ const end = performance.now() + 1000; "
                                         "while (performance.now() < end) {} end }")
        time.sleep(0.5)
        seen = browser.evaluate("window.ticksSeen")
        self.assertLessEqual(max(b[1] - a[1] for a, b in zip(seen, seen[1:])), 1, "one tick per frame at most")
        first, second = [t for t in ticks_in(seen) if t[0] >= stalled_until][:2]
        self.assertGreater(second[0] - first[0], 40, "after a stall the schedule starts again, no catching up")

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
        self.assertFalse([s for s in seen if hidden_at + 100 < s[3] < shown_at], "animation frames while hidden")
        after = [s for s in seen if s[3] >= shown_at]
        self.assertLessEqual(after[0][1], tick + 1, "the motion goes on from where it stood")
        self.assertLessEqual(max(b[1] - a[1] for a, b in zip(seen, seen[1:])), 1, "one tick per frame at most")
        ticked = [t[2] for t in ticks_in(seen)]
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

        browser.key("keyDown", "f", "KeyF", 70)
        self.assertTrue(wait_until(lambda: browser.evaluate(FULL_SCREEN), 5), "f enters full screen")
        for _ in range(3):
            browser.key("keyDown", "f", "KeyF", 70, repeat=True)
        time.sleep(0.3)
        self.assertTrue(browser.evaluate(FULL_SCREEN), "holding f toggles once")
        browser.key("keyDown", "Escape", "Escape", 27)
        self.assertTrue(wait_until(lambda: not browser.evaluate(FULL_SCREEN), 5), "Esc leaves full screen")

    def test_the_screen_stays_awake_only_while_moving_full_screen_in_sight(self):
        f, space, esc = ("KeyF", 70), ("Space", 32), ("Escape", 27)
        in_a_tab = [(None, 0, "a page in a tab"), (("key", "keyDown", "f", *f), 1, "full screen"),
                    (("key", "keyDown", " ", *space), 0, "paused"), (("key", "keyUp", " ", *space), 1, "going on"),
                    (("key", "keyDown", "Escape", *esc), 0, "full screen left")]
        as_the_app = [(None, 1, "the installed app"), (("set_window_state", "minimized"), 0, "hidden"),
                      (("set_window_state", "normal"), 1, "seen again"), (("key", "keyDown", " ", *space), 0, "paused")]
        for before_load, steps in (("", in_a_tab), (AS_INSTALLED_APP, as_the_app)):
            browser = self.start_browser(before_load=WATCH_WAKE_LOCKS + before_load)
            for step, held, when in steps:
                if step:
                    getattr(browser, step[0])(*step[1:])
                self.assertTrue(wait_until(lambda: browser.evaluate(LOCKS_HELD) == held, 5),
                                "%s: %d wake locks held, not %d" % (when, browser.evaluate(LOCKS_HELD), held))
            browser.close()


class App(PageTestCase):
    def test_installable_with_the_icons_it_names(self):
        browser = self.start_browser()
        browser.evaluate("navigator.serviceWorker.ready.then(() => true)", wait=True)
        manifest = browser.send("Page.getAppManifest")
        self.assertEqual(manifest["errors"], [])
        self.assertEqual(browser.send("Page.getInstallabilityErrors")["installabilityErrors"], [])
        data = json.loads(manifest["data"])
        self.assertEqual((data["name"], data["display"]), ("MORVELUX", "fullscreen"))
        for icon in data["icons"]:
            size = subprocess.run(["identify", "-format", "%wx%h", str(SITE / icon["src"])], check=True,
                                  capture_output=True, text=True).stdout
            self.assertEqual(size, icon["sizes"], icon["src"])
        self.assertIn("maskable", [icon.get("purpose") for icon in data["icons"]])

    def test_offline_from_a_sub_path_the_exact_frame(self):
        self.url = self.serve_site(SITE, "deep/folder/")
        browser = self.start_browser()
        browser.evaluate("navigator.serviceWorker.ready.then(() => true)", wait=True)
        self.server.shutdown()
        self.server.server_close()
        browser.evaluate("window.before = true")
        browser.send("Page.reload")
        browser.wait_for("!window.before && !!window.morvelux && !!navigator.serviceWorker.controller", self.url)
        self.shows_frame()

    def test_a_module_that_does_not_load_and_a_crash_say_so_apart(self):
        cases = [("morvelux.wasm", None), ("morvelux.js", None), (None, "delete window.WebAssembly;")]
        for missing, before_load in cases:
            with self.subTest(missing=missing, before_load=before_load):
                site = self.folder / ("site-%s" % missing)
                shutil.copytree(SITE, site, ignore=lambda folder, names: [missing] if missing in names else [])
                self.url = self.serve_site(site)
                browser = self.start_browser(before_load=before_load, ready=ALERT)
                self.assertEqual(browser.evaluate(ALERT), "load")
                self.assertIn("could not load", browser.evaluate("document.getElementById('alert').textContent"))
                browser.close()
        self.url = self.serve_site(SITE)
        browser = self.start_browser()
        browser.evaluate("Module._web_advance = () => { throw new Error('a fault in the module'); }")
        self.assertTrue(wait_until(lambda: browser.evaluate(ALERT) == "crash", 5), "a crash is told as a crash")


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
