"""What the full-screen tests share: starting the saver with the pointer
where the test wants it, reading the panel off the screen and placing it
on the animation (which tick, with or without the title card), and ending
the saver with Esc."""
import time

import moire
import pixels
import wine_harness as wh

PANEL_W, PANEL_H = moire.PANEL
MIN_TICK_S = 0.055  # a tick takes 60 ms; a little less keeps every possible tick in the search
ENDS_WITHIN_S = 1.0  # "at once": it takes some 50 ms, the rest is room for a loaded machine


class Observation:
    """One screenshot of the visible panel placed on the animation."""

    def __init__(self, shot, at, tick, title, differing):
        self.shot, self.at, self.tick, self.title, self.differing = shot, at, tick, title, differing

    @property
    def image_left(self):
        return moire.first_leg(self.tick)[0]

    def __repr__(self):
        return "tick %d%s at %.2fs, %d pixels off" % (self.tick, " with title" if self.title else "", self.at,
                                                       self.differing)


class FullScreenCase(wh.E2ETestCase):
    _moire = None

    @classmethod
    def moire(cls):
        if FullScreenCase._moire is None:
            FullScreenCase._moire = moire.Moire()
        return FullScreenCase._moire

    # where the panel is

    def panel_origin(self):
        """The panel's top-left on the screen: centred, halves rounded to even."""
        width, height = self.wine.size
        return round((width - PANEL_W) / 2), round((height - PANEL_H) / 2)

    def visible_panel(self):
        """The part of the panel on the screen, in panel coordinates (x, y, w, h)."""
        width, height = self.wine.size
        ox, oy = self.panel_origin()
        x0, y0 = max(0, -ox), max(0, -oy)
        x1, y1 = min(PANEL_W, width - ox), min(PANEL_H, height - oy)
        return x0, y0, x1 - x0, y1 - y0

    def on_screen(self, x, y):
        ox, oy = self.panel_origin()
        return ox + x, oy + y

    # the saver

    def start_saver(self, *args):
        """Starts the saver full screen (/s unless told) with the pointer in
        the middle of the primary monitor, over the picture, and waits for its
        window; returns (process, X window). self.started and self.shown
        are when it was started and when its window was seen."""
        primary = self.wine.monitors[0]
        self.wine.mouse_move(primary.x + primary.width // 2, primary.y + primary.height // 2)
        self.started = time.monotonic()
        saver = self.wine.saver(*(args or ("/s",)))
        # Generous: the installer tests beside these start Wine prefixes of their own.
        window = self.wine.wait_window(name="^screen saver$", pid=saver.pid, timeout=30)
        self.shown = time.monotonic()
        return saver, window

    def saver_window_info(self):
        """The saver's window as Win32 sees it: wininfo's fields."""
        code, rows = self.wine.wininfo("find", "screen saver", "--wait", 3000)
        ours = [r for r in rows if r["kind"] == "window" and r["class"].startswith("Morvelux")]
        self.assertTrue(ours, "wininfo found no saver window: %s" % rows)
        return ours[0]

    def end_with_esc(self, saver, window):
        """Presses Esc and checks that the saver ends with code 0 at once;
        returns how long it took."""
        self.wine.wait_focus(window)
        pressed = time.monotonic()
        self.wine.key("Escape")
        took = self.assertEndsAtOnce(saver, pressed, "Esc")
        self.assertTrue(self.wine.window_gone(window, 2), "the saver's window stayed on the screen")
        return took

    def assertEndsAtOnce(self, saver, since, what):
        """The saver ends with code 0 soon after `since`; returns how soon."""
        self.assertExits(saver, 0, timeout=5)
        took = time.monotonic() - since
        self.assertLess(took, ENDS_WITHIN_S, "the saver took %.2fs to end after %s" % (took, what))
        return took

    def alive_after(self, saver, seconds):
        time.sleep(seconds)
        return saver.poll() is None

    # the picture

    def panel_shot(self):
        """(screenshot of the visible panel, the moment it was taken)."""
        x, y, w, h = self.visible_panel()
        before = time.monotonic()
        shot = self.wine.screenshot((*self.on_screen(x, y), w, h))
        return shot, (before + time.monotonic()) / 2

    def observe(self, title=None):
        """Screenshots the panel and finds the tick (and, unless told, whether
        the title card is over it) whose frame it looks most like."""
        shot, at = self.panel_shot()
        return self.place(shot, moire.from_image(shot), self.visible_panel(), at, title)

    def place(self, shot, seen, visible, at, title=None):
        """The Observation of a screenshot `shot` taken at `at` that shows
        `seen` (Bits), the part `visible` (x, y, w, h) of the panel."""
        last = min(moire.FIRST_LEG_TICKS, int((at - self.started) / MIN_TICK_S) + 5)
        best = None
        for with_title in ((False, True) if title is None else (title,)):
            tick, differing = self.moire().locate(seen, range(0, last + 1), visible, with_title)
            if best is None or differing < best.differing:
                best = Observation(shot, at - self.shown, tick, with_title, differing)
        return best

    def frame(self, title=None, attempts=6):
        """An observation showing exactly one frame, pure black and white. A
        screenshot taken while the saver repaints may show parts of two
        frames: then it looks again."""
        seen = []
        for _ in range(attempts):
            observation = self.observe(title)
            if observation.differing == 0 and moire.only_black_and_white(observation.shot):
                if seen:
                    self.report("an exact frame at the %d. look, after %s" % (len(seen) + 1, seen))
                return observation
            seen.append(observation)
            time.sleep(0.05)  # past the repaint it may have caught
        path = self.wine.save_screenshot("no-exact-frame")
        self.fail("no screenshot showed exactly one frame: %s; screen saved at %s" % (seen, path))

    def assert_rendered(self, observation):
        """The render tool composes the same frame for that tick as the screen shows."""
        x, y, w, h = self.visible_panel()
        expected = self.wine.render_expected(ticks=observation.tick, title=observation.title).crop(x, y, w, h)
        mismatch = pixels.compare(expected, observation.shot)
        self.assertFalse(mismatch, "%s, against the render tool: %s" % (observation, mismatch))
