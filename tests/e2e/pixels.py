"""Pixel arrays for the end-to-end tests: X window dumps (XWD) in, PNG in
and out, and the few region checks the tests need. Standard library only."""
import struct
import zlib


class Image:
    """An 8-bit RGB picture, rows top-down, three bytes a pixel."""

    def __init__(self, width, height, data=None):
        self.width = width
        self.height = height
        self.data = bytearray(data) if data is not None else bytearray(width * height * 3)
        if len(self.data) != width * height * 3:
            raise ValueError("pixel data does not match %dx%d" % (width, height))

    def __repr__(self):
        return "Image(%dx%d)" % (self.width, self.height)

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def set_pixel(self, x, y, rgb):
        i = (y * self.width + x) * 3
        self.data[i:i + 3] = bytes(rgb)

    def row(self, y):
        return bytes(self.data[y * self.width * 3:(y + 1) * self.width * 3])

    def crop(self, x, y, w, h):
        """The region (x, y, w, h), clipped to the picture."""
        x0, y0 = max(x, 0), max(y, 0)
        x1, y1 = min(x + w, self.width), min(y + h, self.height)
        w, h = max(x1 - x0, 0), max(y1 - y0, 0)
        out = bytearray()
        for yy in range(y0, y0 + h):
            start = (yy * self.width + x0) * 3
            out += self.data[start:start + w * 3]
        return Image(w, h, out)

    def pixels(self):
        d = self.data
        return zip(d[0::3], d[1::3], d[2::3])

    def count(self, predicate):
        return sum(1 for p in self.pixels() if predicate(p))

    def fraction(self, predicate):
        total = self.width * self.height
        return self.count(predicate) / total if total else 0.0

    def colours(self):
        """How many pixels of each colour, as a dict."""
        seen = {}
        for p in self.pixels():
            seen[p] = seen.get(p, 0) + 1
        return seen

    def bounding_box(self, predicate):
        """(x, y, w, h) around the pixels that satisfy predicate, or None."""
        xs, ys = [], []
        w = self.width
        for i, p in enumerate(self.pixels()):
            if predicate(p):
                xs.append(i % w)
                ys.append(i // w)
        if not xs:
            return None
        return (min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1)


def expected_screen(panel, size, zoom=1):
    """A screen of `size` as a front end should show `panel` (an Image of
    the panel) at `zoom`: black, each panel pixel a zoom x zoom block, centred
    with halves rounded to even (as Python's round does) and cropped equally
    where it does not fit."""
    width, height = size
    pw, ph = panel.width * zoom, panel.height * zoom
    px, py = round((width - pw) / 2), round((height - ph) / 2)
    left, right = max(px, 0), min(px + pw, width)
    black = bytes(width * 3)
    rows = []
    for y in range(height):
        if not 0 <= y - py < ph:
            rows.append(black)
            continue
        row = panel.row((y - py) // zoom)
        if zoom > 1:
            row = b"".join(row[i:i + 3] * zoom for i in range(0, len(row), 3))
        rows.append(black[:left * 3] + row[(left - px) * 3:(right - px) * 3] + black[:(width - right) * 3])
    return Image(width, height, b"".join(rows))


def near(rgb, tolerance=0):
    """A predicate: the pixel is within tolerance of rgb in every channel."""
    r, g, b = rgb
    return lambda p: abs(p[0] - r) <= tolerance and abs(p[1] - g) <= tolerance and abs(p[2] - b) <= tolerance


def darker_than(level):
    """A predicate: the pixel's brightest channel is below level."""
    return lambda p: max(p) < level


class Mismatch:
    def __init__(self, count, first, expected, actual):
        self.count, self.first, self.expected, self.actual = count, first, expected, actual

    def __bool__(self):
        return self.count > 0

    def __str__(self):
        if not self.count:
            return "pictures match"
        x, y = self.first
        return "%d pixels differ; first at (%d, %d): expected %s, got %s" % (
            self.count, x, y, self.expected, self.actual)


def compare(expected, actual, tolerance=0):
    """Pixel-by-pixel difference of two pictures of the same size."""
    if (expected.width, expected.height) != (actual.width, actual.height):
        raise ValueError("sizes differ: expected %dx%d, got %dx%d" % (
            expected.width, expected.height, actual.width, actual.height))
    count, first = 0, None
    for y in range(expected.height):
        a, b = expected.row(y), actual.row(y)
        if a == b:
            continue
        for x in range(expected.width):
            pa, pb = a[x * 3:x * 3 + 3], b[x * 3:x * 3 + 3]
            if any(abs(i - j) > tolerance for i, j in zip(pa, pb)):
                count += 1
                if first is None:
                    first = (x, y, tuple(pa), tuple(pb))
    if first is None:
        return Mismatch(0, None, None, None)
    return Mismatch(count, first[:2], first[2], first[3])


# --- XWD (the dump format of xwd) -------------------------------------------

_XWD_FIELDS = ("header_size file_version pixmap_format pixmap_depth width height xoffset "
               "byte_order bitmap_unit bitmap_bit_order bitmap_pad bits_per_pixel "
               "bytes_per_line visual_class red_mask green_mask blue_mask bits_per_rgb "
               "colormap_entries ncolors window_width window_height window_x window_y "
               "window_bdrwidth").split()
_Z_PIXMAP = 2


def _mask_shift(mask):
    shift = 0
    while mask and not mask & 1:
        mask >>= 1
        shift += 1
    return shift, mask


def read_xwd(blob):
    """Decodes a true-colour ZPixmap dump, as xwd writes for a 24-bit screen."""
    h = dict(zip(_XWD_FIELDS, struct.unpack(">25I", blob[:100])))
    if h["file_version"] != 7 or h["pixmap_format"] != _Z_PIXMAP:
        raise ValueError("unsupported XWD dump: %r" % h)
    width, height, stride = h["width"], h["height"], h["bytes_per_line"]
    bpp = h["bits_per_pixel"] // 8
    start = h["header_size"] + h["ncolors"] * 12
    raw = memoryview(blob)[start:start + stride * height]
    if len(raw) < stride * height:
        raise ValueError("XWD dump is truncated")
    masks = (h["red_mask"], h["green_mask"], h["blue_mask"])
    fast = bpp in (3, 4) and h["byte_order"] == 0 and masks == (0xFF0000, 0xFF00, 0xFF)
    out = bytearray(width * height * 3)
    if fast:
        packed = bytes(raw) if stride == width * bpp else b"".join(
            raw[y * stride:y * stride + width * bpp] for y in range(height))
        out[0::3], out[1::3], out[2::3] = packed[2::bpp], packed[1::bpp], packed[0::bpp]
        return Image(width, height, out)
    order = "little" if h["byte_order"] == 0 else "big"
    shifts = [_mask_shift(m) for m in masks]
    for y in range(height):
        row = raw[y * stride:y * stride + width * bpp]
        for x in range(width):
            v = int.from_bytes(row[x * bpp:(x + 1) * bpp], order)
            for c, (shift, m) in enumerate(shifts):
                out[(y * width + x) * 3 + c] = ((v >> shift) & m) * 255 // m
    return Image(width, height, out)


# --- PNG ----------------------------------------------------------------------

_PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
_CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}  # by colour type


def _chunk(kind, payload):
    body = kind + payload
    return struct.pack(">I", len(payload)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(image, path):
    rows = b"".join(b"\0" + image.row(y) for y in range(image.height))
    header = struct.pack(">IIBBBBB", image.width, image.height, 8, 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(_PNG_SIGNATURE + _chunk(b"IHDR", header) + _chunk(b"IDAT", zlib.compress(rows, 6))
                + _chunk(b"IEND", b""))


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _unfilter(raw, height, stride, bpp):
    rows, prev, pos = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        if kind == 1:
            for i in range(bpp, stride):
                line[i] = (line[i] + line[i - bpp]) & 0xFF
        elif kind == 2:
            for i in range(stride):
                line[i] = (line[i] + prev[i]) & 0xFF
        elif kind == 3:
            for i in range(stride):
                left = line[i - bpp] if i >= bpp else 0
                line[i] = (line[i] + ((left + prev[i]) >> 1)) & 0xFF
        elif kind == 4:
            for i in range(stride):
                left = line[i - bpp] if i >= bpp else 0
                upleft = prev[i - bpp] if i >= bpp else 0
                line[i] = (line[i] + _paeth(left, prev[i], upleft)) & 0xFF
        elif kind != 0:
            raise ValueError("bad PNG filter type %d" % kind)
        rows.append(line)
        prev = line
    return rows


def _samples(line, depth, count):
    if depth == 8:
        return line[:count]
    per_byte, mask = 8 // depth, (1 << depth) - 1
    return [(line[i // per_byte] >> (8 - depth * (i % per_byte + 1))) & mask for i in range(count)]


def read_png(path):
    """Decodes a non-interlaced PNG of 8 bits a sample (1, 2 or 4 for grey and
    palette pictures) into RGB; alpha is dropped."""
    with open(path, "rb") as f:
        blob = f.read()
    if not blob.startswith(_PNG_SIGNATURE):
        raise ValueError("%s is not a PNG file" % path)
    pos, idat, palette, header = 8, bytearray(), None, None
    while pos < len(blob):
        length, kind = struct.unpack(">I4s", blob[pos:pos + 8])
        payload = blob[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", payload)
        elif kind == b"PLTE":
            palette = [tuple(payload[i:i + 3]) for i in range(0, len(payload), 3)]
        elif kind == b"IDAT":
            idat += payload
        elif kind == b"IEND":
            break
    width, height, depth, ctype, _, _, interlace = header
    if interlace or ctype not in _CHANNELS or depth > 8 or (depth < 8 and ctype not in (0, 3)):
        raise ValueError("unsupported PNG layout: depth %d, colour type %d, interlace %d" % (
            depth, ctype, interlace))
    channels = _CHANNELS[ctype]
    stride = (width * channels * depth + 7) // 8
    rows = _unfilter(zlib.decompress(bytes(idat)), height, stride, max(1, channels * depth // 8))
    out = bytearray()
    for line in rows:
        if ctype == 2:
            out += line[:width * 3]
        elif ctype == 6:
            rgba = line[:width * 4]
            px = bytearray(width * 3)
            px[0::3], px[1::3], px[2::3] = rgba[0::4], rgba[1::4], rgba[2::4]
            out += px
        elif ctype == 3:
            for i in _samples(line, depth, width):
                out += bytes(palette[i])
        else:
            scale = 255 // ((1 << depth) - 1)
            step = 2 if ctype == 4 else 1
            grey = _samples(line, depth, width * step)[::step]
            px = bytearray(width * 3)
            values = bytes(v * scale for v in grey)
            px[0::3], px[1::3], px[2::3] = values, values, values
            out += px
    return Image(width, height, out)
