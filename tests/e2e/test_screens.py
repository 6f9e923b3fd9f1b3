#!/usr/bin/env python3
"""The screen specs of a run, the panel's zoom and place on each monitor,
and reading a zoomed panel back, without Wine or X."""
import unittest

import moire
import pixels
import screens


class ScreenSpecs(unittest.TestCase):

    def test_monitors_and_their_windows_coordinates(self):
        left = screens.parse("1024x768@1280,0+1280x1024")
        self.assertTrue(left.multi)
        self.assertEqual(left.size, (2304, 1024))
        self.assertEqual(left.windows_rects(), [[0, 0, 1024, 768], [-1280, 0, 0, 1024]])
        self.assertEqual(left.to_x(*left.to_windows(10, 20)), (10, 20))
        above = screens.parse("1024x768@0,600+800x600")
        self.assertEqual(above.windows_rects()[1], [0, -600, 800, 0])
        single = screens.parse("3840x2160/192")
        self.assertFalse(single.multi)
        self.assertEqual((single.dpi, single.size), (192, (3840, 2160)))
        self.assertEqual(single.wine_settings(), {"xinerama": False, "dpi": 192})

    def test_specs_that_are_refused(self):
        for spec in ("", "1024", "1024x0", "1024x768/high", "1024x768+800x600@10,0",  # overlapping
                     "1024x768@5,0", "1024x768+800x600@-800,0", "1024x768;800x600"):
            with self.subTest(spec=spec), self.assertRaises(screens.ScreenSpecError):
                screens.parse(spec)


class PanelPlace(unittest.TestCase):

    def test_zoom_is_the_largest_that_fits(self):
        for size, dpi, zoom in (((3840, 2160), 192, 2), ((1920, 1080), 192, 1), ((1920, 1080), 288, 1),
                                ((3840, 2160), 288, 2), ((3840, 2400), 288, 3), ((3840, 2160), 144, 1),
                                ((800, 600), 96, 1), ((800, 600), 40, 1)):
            with self.subTest(size=size, dpi=dpi):
                self.assertEqual(screens.zoom(screens.Monitor(0, 0, *size), dpi), zoom)

    def test_centred_with_halves_to_even_on_any_monitor(self):
        self.assertEqual(screens.panel_rect(screens.Monitor(0, 0, 3840, 2160), 192), (896, 312, 2048, 1536))
        self.assertEqual(screens.panel_rect(screens.Monitor(1024, 600, 1281, 1025), 96), (1152, 728, 1024, 768))
        self.assertEqual(screens.panel_rect(screens.Monitor(0, 0, 1027, 771), 96), (2, 2, 1024, 768))
        self.assertEqual(screens.panel_rect(screens.Monitor(0, 0, 800, 600), 96), (-112, -84, 1024, 768))


class ZoomedPanel(unittest.TestCase):

    def picture(self):
        image = pixels.Image(6, 2)
        for x, y in ((0, 0), (3, 0), (5, 1)):
            image.set_pixel(x, y, (255, 255, 255))
        return image

    def zoomed(self, image, z):
        out = pixels.Image(image.width * z, image.height * z)
        for y in range(out.height):
            for x in range(out.width):
                out.set_pixel(x, y, image.pixel(x // z, y // z))
        return out

    def test_blocks_read_back_as_the_picture(self):
        picture = self.picture()
        for z in (2, 3):
            with self.subTest(zoom=z):
                self.assertEqual(moire.from_zoomed_image(self.zoomed(picture, z), z), moire.from_image(picture))

    def test_a_pixel_off_its_block_is_no_picture(self):
        for x, y, rgb in ((2, 0, (255, 255, 255)), (0, 1, (0, 0, 0)), (11, 3, (255, 0, 255))):
            with self.subTest(pixel=(x, y)):
                image = self.zoomed(self.picture(), 2)
                image.set_pixel(x, y, rgb)
                self.assertIsNone(moire.from_zoomed_image(image, 2))
        self.assertIsNone(moire.from_zoomed_image(pixels.Image(5, 4), 2), "width not a whole number of blocks")


if __name__ == "__main__":
    unittest.main(verbosity=2)
