"""What the tests of several monitors and of high DPI share: where each
monitor's panel is and how much of it is seen, one screenshot of them all
placed on the animation, and the black round every panel."""
import time

import moire
import screens
from saver_screen import FullScreenCase


class View:
    """One monitor's panel in a screenshot: where it is, at which zoom, and
    what it shows (an Observation with .bits, the panel's pixels unzoomed)."""

    def __init__(self, index, monitor, panel, zoom):
        self.index, self.monitor, self.panel, self.zoom = index, monitor, panel, zoom
        self.observation = None

    @property
    def visible(self):
        """The part of the panel on the monitor, (x, y, w, h) on the X root."""
        m, (px, py, pw, ph) = self.monitor, self.panel
        x0, y0 = max(m.x, px), max(m.y, py)
        x1, y1 = min(m.x + m.width, px + pw), min(m.y + m.height, py + ph)
        return x0, y0, x1 - x0, y1 - y0

    @property
    def in_panel(self):
        """The visible part in the panel's own (unzoomed) pixels."""
        x, y, w, h = self.visible
        z = self.zoom
        return (x - self.panel[0]) // z, (y - self.panel[1]) // z, w // z, h // z

    def border(self):
        """The monitor's strips round the panel, (x, y, w, h) on the X root, empty ones left out."""
        m = self.monitor
        x, y, w, h = self.visible
        strips = [(m.x, m.y, m.width, y - m.y), (m.x, y + h, m.width, m.y + m.height - y - h),
                  (m.x, y, x - m.x, h), (x + w, y, m.x + m.width - x - w, h)]
        return [s for s in strips if s[2] > 0 and s[3] > 0]

    def point(self, x, y):
        """The X root point of panel pixel (x, y)."""
        return self.panel[0] + x * self.zoom, self.panel[1] + y * self.zoom

    def __repr__(self):
        seen = self.observation or "not made of whole %d x %d blocks" % (self.zoom, self.zoom)
        return "monitor %d %s: panel %s x%d, %s" % (self.index, tuple(self.monitor), self.panel, self.zoom, seen)


class MonitorsCase(FullScreenCase):

    def views(self):
        dpi = self.wine.layout.dpi
        return [View(i, m, screens.panel_rect(m, dpi), screens.zoom(m, dpi)) for i, m in enumerate(self.wine.monitors)]

    def look(self):
        """One screenshot of the whole X root: (it, every monitor's View)."""
        before = time.monotonic()
        shot = self.wine.screenshot()
        at = (before + time.monotonic()) / 2
        views = self.views()
        for view in views:
            part = shot.crop(*view.visible)
            bits = moire.from_zoomed_image(part, view.zoom) if view.zoom > 1 else moire.from_image(part)
            if bits is None:
                view.observation = None  # some pattern pixel is not a whole zoom x zoom block
                continue
            view.observation = self.place(part, bits, view.in_panel, at)
            view.observation.bits = bits
        return shot, views

    @staticmethod
    def one_frame(views):
        """Whether every panel shows exactly the same frame, in black and white only."""
        seen = [v.observation for v in views]
        return all(o is not None and o.differing == 0 and moire.only_black_and_white(o.shot) for o in seen) and len(
            {(o.tick, o.title) for o in seen}) == 1

    def frames(self, attempts=6):
        """A screenshot in which every monitor's panel shows exactly one frame,
        the same on all: (it, the Views). The saver presents one monitor after
        the other, so a screenshot between two of them is taken again."""
        looks = []
        for _ in range(attempts):
            shot, views = self.look()
            if self.one_frame(views):
                if looks:
                    self.report("the same exact frame on every monitor at the %d. look" % (len(looks) + 1))
                return shot, views
            looks.append(views)
            time.sleep(0.05)
        path = self.wine.save_screenshot("no-common-frame")
        self.fail("no screenshot showed one exact frame on every monitor:\n%s\nscreen saved at %s" % (
            "\n".join(map(str, looks[-1])), path))

    def assert_black_round_panels(self, shot, views):
        for view in views:
            for strip in view.border():
                data = shot.crop(*strip).data
                self.assertEqual(data.count(0), len(data), "monitor %d is black round its panel: not so in %s"
                                 % (view.index, strip))

    def assert_rendered_views(self, views):
        """The render tool composes the frame every panel shows."""
        first = views[0].observation
        expected = self.wine.render_expected(ticks=first.tick, title=first.title)
        for view in views:
            part = moire.from_image(expected.crop(*view.in_panel))
            self.assertEqual(part.differences(view.observation.bits), 0, "monitor %d against the render tool"
                             % view.index)

    def probe_on(self, monitor, colour, title="Left Open"):
        """A window of one colour opened on a monitor, with its X window; it
        reaches over the monitor's edge of black into where the panel goes."""
        x, y = self.wine.layout.to_windows(monitor.x + 60, monitor.y + 60)
        probe = self.wine.tool("foreground_probe", "--title", title, "--colour", colour, "--x", x, "--y", y,
                               "--width", 400, "--height", 300, stdin=True, witness=True)
        probe.wait_for_line(r"^foreground 1$")
        return probe, self.wine.wait_window(name="^%s$" % title, pid=probe.pid)

    def close_probe(self, probe):
        probe.send("quit\n")
        self.assertExits(probe, 0)
