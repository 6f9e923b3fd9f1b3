"""The moiré the saver should show, worked out from its own picture files,
so that a screenshot can be placed on the animation: which tick of the
motion it shows, and whether it shows exactly that frame.

Pictures are held as rows of Python integers, one bit a pixel, set where the
pixel is black, the leftmost pixel in the most significant bit: combining two
layers at any offsets is then a shift, a mask and an exclusive-or a row.
Standard library only."""
import struct
from pathlib import Path

IMAGES = Path(__file__).resolve().parents[2] / "animation" / "images"

PANEL = (1024, 768)
TITLE_AT = (352, 264)  # the title card's place in the panel
START_LEFT = -576      # the display image's left edge after the layer reset
FIRST_LEG_TICKS = 1144  # ticks until the motion first turns


class Bits:
    """A one-bit picture: rows[y] has bit (width - 1 - x) set where (x, y) is black."""

    def __init__(self, width, height, rows):
        self.width, self.height, self.rows = width, height, list(rows)

    def __eq__(self, other):
        return (self.width, self.height, self.rows) == (other.width, other.height, other.rows)

    def window(self, y, x, width):
        """Row y's pixels x .. x + width - 1 as an integer of width bits."""
        return (self.rows[y] >> (self.width - x - width)) & ((1 << width) - 1)

    def crop(self, x, y, width, height):
        return Bits(width, height, (self.window(yy, x, width) for yy in range(y, y + height)))

    def black(self):
        return sum(row.bit_count() for row in self.rows)

    def black_fraction(self):
        return self.black() / (self.width * self.height)

    def differences(self, other, rows=None):
        """How many pixels differ from another picture of the same size (in
        the given rows only, if any)."""
        return sum((self.rows[y] ^ other.rows[y]).bit_count() for y in (rows if rows is not None else
                                                                        range(self.height)))

    def paste(self, picture, x, y):
        """This picture with another copied over it, its top-left at (x, y)."""
        rows = list(self.rows)
        shift = self.width - x - picture.width
        hole = ~(((1 << picture.width) - 1) << shift)
        for yy in range(picture.height):
            rows[y + yy] = (rows[y + yy] & hole) | (picture.rows[yy] << shift)
        return Bits(self.width, self.height, rows)


def read_bmp1(path):
    """A one-bit BMP file (either row order) as Bits; black is whichever
    colour-table entry is darker."""
    blob = Path(path).read_bytes()
    offset, = struct.unpack("<I", blob[10:14])
    header_size, width, height, _, depth = struct.unpack("<IiiHH", blob[14:30])
    if depth != 1:
        raise ValueError("%s is not a one-bit BMP" % path)
    table = blob[14 + header_size:14 + header_size + 8]
    dark = [sum(table[i * 4:i * 4 + 3]) for i in (0, 1)]
    black_is_one = dark[1] < dark[0]
    stride = (width + 31) // 32 * 4
    rows = []
    for y in range(abs(height)):
        line = blob[offset + y * stride:offset + (y + 1) * stride]
        row = int.from_bytes(line, "big") >> (stride * 8 - width)
        rows.append(row if black_is_one else row ^ ((1 << width) - 1))
    if height > 0:
        rows.reverse()
    return Bits(width, abs(height), rows)


_BLACK_AS_ONE = bytes(ord("1") if v < 128 else ord("0") for v in range(256))


def from_image(image):
    """A screenshot (pixels.Image) as Bits, dark pixels black."""
    rows = []
    for y in range(image.height):
        reds = image.row(y)[0::3]
        rows.append(int(reds.translate(_BLACK_AS_ONE), 2) if reds else 0)
    return Bits(image.width, image.height, rows)


def from_zoomed_image(image, zoom):
    """A screenshot of a picture drawn `zoom` times enlarged as Bits of the
    picture, or None unless every pixel of it became exactly zoom x zoom
    screen pixels of one colour."""
    if image.width % zoom or image.height % zoom:
        return None
    rows = []
    for y in range(0, image.height, zoom):
        line = image.row(y)
        if any(image.row(y + k) != line for k in range(1, zoom)):
            return None
        channels = [line[c::3] for c in range(3)]
        if any(ch[k::zoom] != ch[0::zoom] for ch in channels for k in range(1, zoom)):
            return None
        rows.append(int(channels[0][0::zoom].translate(_BLACK_AS_ONE), 2))
    return Bits(image.width // zoom, image.height // zoom, rows)


def only_black_and_white(image):
    """Whether every pixel of a screenshot is pure black or pure white."""
    data = bytes(image.data)
    return set(data) <= {0, 255} and data[0::3] == data[1::3] == data[2::3]


def first_leg(tick):
    """(L, OffsetX) after tick steps from the layer reset: the layers take
    turns, OffsetX on odd ticks and L on even ones."""
    if not 0 <= tick <= FIRST_LEG_TICKS:
        raise ValueError("tick %d is not on the first leg" % tick)
    return START_LEFT + tick // 2, -((tick + 1) // 2)


class Moire:
    """The saver's pictures and the frames they make."""

    def __init__(self, images=IMAGES):
        self.layer1 = read_bmp1(images / "img1.bmp")
        self.layer2 = read_bmp1(images / "img2.bmp")
        self.title = read_bmp1(images / "title.bmp")

    def frame(self, image_left, offset, title=False, panel=PANEL):
        """The panel for this display image left edge and layer offset:
        black where the two layers agree, the title card over it if due."""
        width, height = panel
        rows = []
        for y in range(height):
            a = self.layer1.window(y, -image_left, width)
            b = self.layer2.window(y, -offset, width)
            rows.append(~(a ^ b) & ((1 << width) - 1))
        frame = Bits(width, height, rows)
        return frame.paste(self.title, *TITLE_AT) if title else frame

    def frame_at(self, tick, title=False):
        return self.frame(*first_leg(tick), title=title)

    def locate(self, seen, ticks, visible=(0, 0) + PANEL, title=False, probe_rows=12):
        """The tick in `ticks` whose frame looks most like `seen` (Bits of
        the visible part (x, y, w, h) of the panel), and how many pixels
        differ: first judged on a few rows, then on all of them."""
        x, y, w, h = visible
        sample = [y + (h - 1) * i // (probe_rows - 1) for i in range(probe_rows)]

        def rows_of(tick, ys):
            left, offset = first_leg(tick)
            return [~(self.layer1.window(yy, x - left, w) ^ self.layer2.window(yy, x - offset, w)) & ((1 << w) - 1)
                    for yy in ys]

        def cost(tick):
            expected = rows_of(tick, sample)
            return sum((e ^ seen.rows[yy - y]).bit_count() for e, yy in zip(expected, sample))

        candidates = sorted(ticks, key=cost)[:3]
        best = None
        for tick in candidates:
            expected = self.frame_at(tick, title).crop(x, y, w, h) if title else Bits(
                w, h, rows_of(tick, range(y, y + h)))
            differing = expected.differences(seen)
            if best is None or differing < best[1]:
                best = (tick, differing)
        return best
