#!/usr/bin/env python3
"""The PNG reader against pictures ImageMagick writes (every colour type and
bit depth the render tool may choose, with its adaptive row filters), and the
PNG writer read back."""
import os
import shutil
import subprocess
import tempfile
import unittest

import pixels

IMAGEMAGICK = shutil.which("convert-im6.q16") or shutil.which("convert")


def reference(width, height, seed):
    """A picture with edges, gradients and noise so every row filter gets used."""
    image = pixels.Image(width, height)
    state = seed
    for y in range(height):
        for x in range(width):
            state = (state * 1103515245 + 12345) & 0x7FFFFFFF
            noise = state >> 24
            image.set_pixel(x, y, ((x * 7 + noise) & 0xFF, (y * 11) & 0xFF, ((x ^ y) * 5) & 0xFF))
    return image


class PngTest(unittest.TestCase):

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="morvelux-png-")

    def tearDown(self):
        shutil.rmtree(self.dir)

    def encode(self, image, *options):
        """Writes image as PNG through ImageMagick; returns the path and what
        ImageMagick itself reads back from that file as RGB."""
        raw = os.path.join(self.dir, "in.rgb")
        png = os.path.join(self.dir, "out.png")
        with open(raw, "wb") as f:
            f.write(image.data)
        size = "%dx%d" % (image.width, image.height)
        subprocess.run([IMAGEMAGICK, "-size", size, "-depth", "8", "rgb:" + raw, *options, png], check=True)
        back = subprocess.run([IMAGEMAGICK, png, "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
        return png, pixels.Image(image.width, image.height, back)

    @unittest.skipUnless(IMAGEMAGICK, "ImageMagick is not installed")
    def test_reads_what_imagemagick_writes(self):
        source = reference(37, 23, 5)
        cases = {
            "rgb": ["-define", "png:color-type=2"],
            "grey 8-bit": ["-colorspace", "gray", "-define", "png:color-type=0", "-define", "png:bit-depth=8"],
            "grey 1-bit": ["-colorspace", "gray", "-threshold", "50%", "-define", "png:color-type=0",
                           "-define", "png:bit-depth=1"],
            "palette 8-bit": ["-colors", "200", "-define", "png:color-type=3"],
            "palette 4-bit": ["-colors", "12", "-define", "png:color-type=3", "-define", "png:bit-depth=4"],
            "palette 1-bit": ["-monochrome", "-define", "png:color-type=3", "-define", "png:bit-depth=1"],
            "rgba": ["-alpha", "on", "-define", "png:color-type=6"],
        }
        for name, options in cases.items():
            with self.subTest(name):
                path, expected = self.encode(source, *options)
                self.assertFalse(pixels.compare(expected, pixels.read_png(path)))

    def test_written_png_reads_back(self):
        source = reference(19, 11, 9)
        path = os.path.join(self.dir, "w.png")
        pixels.write_png(source, path)
        self.assertFalse(pixels.compare(source, pixels.read_png(path)))

    def test_compare_reports_first_difference(self):
        a = reference(8, 6, 1)
        b = pixels.Image(a.width, a.height, a.data)
        b.set_pixel(5, 4, (1, 2, 3))
        b.set_pixel(2, 5, (1, 2, 3))
        result = pixels.compare(a, b)
        self.assertEqual((result.count, result.first, result.actual), (2, (5, 4), (1, 2, 3)))


if __name__ == "__main__":
    unittest.main(verbosity=2)
