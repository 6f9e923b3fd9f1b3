"""The screens a run offers, written as text in MORVELUX_E2E_SCREENS:

    1024x768                      one Xvfb screen at 96 DPI
    3840x2160/192                 the same at 192 DPI (Wine's LogPixels)
    1024x768+1280x1024@1024,0     monitors: Xephyr with Xinerama inside an Xvfb

Each monitor is WIDTHxHEIGHT, then @X,Y, its place on the X root (0,0 when
left out); the first is the primary. Wine puts the primary's top-left at
(0, 0), so a monitor left of or above it has negative Windows coordinates.
Also where the saver's panel belongs on each monitor. Standard library only.
"""
import re
from collections import namedtuple

DESIGN_DPI = 96
PANEL = (1024, 768)

Monitor = namedtuple("Monitor", "x y width height")

_MONITOR = re.compile(r"(\d+)x(\d+)(?:@(-?\d+),(-?\d+))?$")


class ScreenSpecError(ValueError):
    pass


class Screen:
    """A screen of the run: its monitors in X root coordinates and its DPI."""

    def __init__(self, monitors, dpi=DESIGN_DPI):
        self.monitors, self.dpi = list(monitors), dpi

    @property
    def multi(self):
        """Whether it takes Xephyr: several monitors, seen by Wine through Xinerama."""
        return len(self.monitors) > 1

    @property
    def size(self):
        """The X root's size: every monitor's rectangle fits in it."""
        return max(m.x + m.width for m in self.monitors), max(m.y + m.height for m in self.monitors)

    @property
    def primary(self):
        return self.monitors[0]

    def to_windows(self, x, y):
        """Windows screen coordinates of an X root point."""
        return x - self.primary.x, y - self.primary.y

    def to_x(self, x, y):
        return x + self.primary.x, y + self.primary.y

    def windows_rects(self):
        """Each monitor as Windows reports it: [left, top, right, bottom]."""
        return [[*self.to_windows(m.x, m.y), *self.to_windows(m.x + m.width, m.y + m.height)]
                for m in self.monitors]

    def xephyr_args(self):
        """Xephyr's screens with their places; a white root shows at once any
        part of a monitor that no window covers."""
        args = ["+xinerama", "-wr"]
        for m in self.monitors:
            args += ["-origin", "%d,%d" % (m.x, m.y), "-screen", "%dx%d" % (m.width, m.height)]
        return args

    def wine_settings(self):
        """What Wine must be told for this screen: where monitors come from, and the DPI."""
        return {"xinerama": self.multi, "dpi": self.dpi}


def parse(spec):
    """A Screen from its text; ScreenSpecError when the text is not one."""
    text, _, dpi = spec.strip().partition("/")
    if dpi and not dpi.isdigit():
        raise ScreenSpecError("%r: the DPI after / must be a number" % spec)
    monitors = []
    for part in text.split("+"):
        m = _MONITOR.match(part)
        if not m or int(m.group(1)) == 0 or int(m.group(2)) == 0:
            raise ScreenSpecError("%r: %r is not WIDTHxHEIGHT[@X,Y]" % (spec, part))
        x, y = (int(m.group(3)), int(m.group(4))) if m.group(3) else (0, 0)
        monitors.append(Monitor(x, y, int(m.group(1)), int(m.group(2))))
    if min(m.x for m in monitors) != 0 or min(m.y for m in monitors) != 0:
        raise ScreenSpecError("%r: the monitors must start at the X root's left and top edges" % spec)
    if any(_overlap(a, b) for i, a in enumerate(monitors) for b in monitors[i + 1:]):
        raise ScreenSpecError("%r: monitors overlap" % spec)
    return Screen(monitors, int(dpi) if dpi else DESIGN_DPI)


def _overlap(a, b):
    return a.x < b.x + b.width and b.x < a.x + a.width and a.y < b.y + b.height and b.y < a.y + a.height


def zoom(monitor, dpi):
    """The whole-number zoom of the panel on a monitor: as near dpi / 96 as
    it can be without the zoomed panel outgrowing the monitor, at least 1."""
    z = max(1, dpi // DESIGN_DPI)
    while z > 1 and (PANEL[0] * z > monitor.width or PANEL[1] * z > monitor.height):
        z -= 1
    return z


def panel_rect(monitor, dpi):
    """(x, y, width, height) of the zoomed panel on the X root: centred on
    the monitor, a half pixel rounded to even (cropped alike on a small one)."""
    z = zoom(monitor, dpi)
    w, h = PANEL[0] * z, PANEL[1] * z
    return monitor.x + round((monitor.width - w) / 2), monitor.y + round((monitor.height - h) / 2), w, h
