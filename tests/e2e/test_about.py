#!/usr/bin/env python3
"""The configuration mode: the About box, its layout, its keys, and the
window it disables while it is open."""
import contextlib
import time

import wine_harness as wh
from pixels import darker_than, near

TITLE = "About"
LATEST = "You can get the latest version from"  # the label the dialog's width follows
BUTTON_AREA_TOP = 124  # client rows from here down hold nothing but the OK button


class AboutBoxCase(wh.E2ETestCase):
    """Starting the About box and the width its label gives it."""

    @contextlib.contextmanager
    def about(self, *args):
        """Starts the saver, waits for its About box and yields (saver, dialog
        as Win32 sees it, its X window); afterwards the saver must be gone
        (it is killed if not, after a screenshot)."""
        saver = self.wine.saver(*args)
        try:
            dialog = self.wine.wait_dialog(TITLE, saver)
            self.assertIsNotNone(dialog, "no window titled %r; saver exit code %s" % (TITLE, saver.poll()))
            window = self.wine.wait_window(name="^%s$" % TITLE, pid=saver.pid)
            yield saver, dialog, window
        finally:
            if saver.poll() is None:
                shot = self.wine.save_screenshot("still-running")
                saver.kill()
                self.fail("the saver (%s) was still running; screenshot %s" % (" ".join(args), shot))

    def client_shot(self, dialog):
        return self.wine.screenshot((*dialog.client_origin, *dialog.client_size))

    def ok_button_box(self, dialog, scale=1):
        """The OK button's (x, y, w, h) in client coordinates, found by its pixels."""
        face = near(self.wine.system_colour("btnface"), 8)
        width, height = dialog.client_size
        top = BUTTON_AREA_TOP * scale
        box = self.client_shot(dialog).crop(0, top, width, height - top).bounding_box(lambda p: not face(p))
        self.assertIsNotNone(box, "nothing drawn where the OK button belongs")
        x, y, w, h = box
        return x, y + top, w, h

    def expected_widths(self, dialog, scale=1):
        """The dialog is 1.7 times as wide as the label above the address,
        sized to its text (182 pixels in the design font, giving 309). With
        the label as a native control its width is read back; otherwise it
        is measured in 12-pixel Arial (times scale), taking 12 as either the
        character or the cell height."""
        label = dialog.child(text=LATEST)
        if label:
            widths = [label["rect"][2] - label["rect"][0]]
        else:
            widths = [self.wine.text_extent(LATEST, "Arial", h * scale, 400, 128)[0] for h in (-12, 12)]
        return {round(w * 1.7) for w in widths}


class AboutBox(AboutBoxCase):

    def test_configure_switches_show_about(self):
        for args in ([], ["/c"], ["/C"], ["-c"], ["/c:1234"]):
            with self.subTest(args=args), self.about(*args) as (saver, dialog, window):
                self.wine.key("Return", window=window)
                self.assertExits(saver, 0)
                self.assertTrue(self.wine.window_gone(window), "the About box stayed on the screen")

    def test_layout(self):
        with self.about("/c") as (saver, dialog, window):
            width, height = dialog.outer_size
            self.assertEqual(height, 190)
            self.assertIn(width, self.expected_widths(dialog))
            screen_w, screen_h = self.wine.size
            left, top, right, bottom = dialog.rect
            self.assertLessEqual(abs(left + right - screen_w), 1, "centred across the screen")
            self.assertLessEqual(abs(top + bottom - screen_h), 1, "centred down the screen")
            self.assertEqual(self.wine.geometry(window), (left, top, width, height))

            client = self.client_shot(dialog)
            self.assertGreater(client.fraction(near(self.wine.system_colour("btnface"), 8)), 0.7,
                               "the dialog is mostly button face")
            self.assertGreater(client.crop(0, 0, client.width, BUTTON_AREA_TOP).count(darker_than(100)), 300,
                               "dark text above the button")

            client_w = dialog.client_size[0]
            x, _, w, h = self.ok_button_box(dialog)
            self.assertLessEqual(abs(x - (client_w - x - w)), 1, "OK is centred (drawn at x=%d, %dx%d)" % (x, w, h))
            ok = dialog.child(cls="Button", text="OK")
            if ok:  # when the toolkit makes its controls native windows, check their exact rectangles too
                l, t, r, b = ok["rect"]
                self.assertEqual((r - l, b - t), (73, 24))
                self.assertEqual(l, round((client_w - 73) / 2))
            edit = dialog.child(cls="Edit")
            if edit:
                self.assertEqual(client_w - edit["rect"][2], 292 - 82 - 153, "the address keeps its right margin")
                left, _, right, _ = edit["rect"]
                widest = max(self.wine.text_extent(edit["text"], "Arial", h, 400, 128)[0] for h in (-12, 12))
                self.assertLessEqual(widest, right - left - 4, "%r is cut off in its field" % edit["text"])
            self.wine.key("Return", window=window)
            self.assertExits(saver, 0)

    def test_esc_does_nothing_alt_f4_closes(self):
        with self.about("/c") as (saver, dialog, window):
            self.wine.key("Escape", window=window)
            time.sleep(0.5)
            self.assertIsNone(saver.poll(), "Esc closed the About box")
            self.assertIsNotNone(self.wine.find_dialog(TITLE, wait=0))
            self.wine.key("alt+F4", window=window)
            self.assertExits(saver, 0)

    def test_click_ok_closes(self):
        with self.about("/c") as (saver, dialog, window):
            x, y, w, h = self.ok_button_box(dialog)
            origin_x, origin_y = dialog.client_origin
            self.wine.click(origin_x + x + w // 2, origin_y + y + h // 2)
            self.assertExits(saver, 0)

    def test_foreground_window_disabled_while_open(self):
        probe = self.wine.tool("foreground_probe", "--title", "Display Properties", stdin=True, witness=True)
        probe_hwnd = int(probe.wait_for_line(r"^hwnd (\d+)").group(1))
        probe.wait_for_line(r"^foreground 1$")
        with self.about("/c") as (saver, dialog, window):
            self.assertEqual(dialog["owner"], probe_hwnd, "the foreground window owns the dialog")
            self.assertTrue(wh.wait_until(lambda: enabled_states(probe)[-1:] == [0], 5),
                            "the foreground window was not disabled: %s" % probe.lines())
            self.wine.key("Return", window=window)
            self.assertExits(saver, 0)
        self.assertTrue(wh.wait_until(lambda: enabled_states(probe)[-1:] == [1], 5),
                        "the foreground window was not enabled again: %s" % probe.lines())
        self.assertEqual(enabled_states(probe), [1, 0, 1])
        probe.send("quit\n")
        self.assertExits(probe, 0)


def enabled_states(probe):
    return [int(line.split()[1]) for line in probe.lines() if line.startswith("enabled ")]


if __name__ == "__main__":
    wh.main()
