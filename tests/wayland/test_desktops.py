#!/usr/bin/env python3
"""morvelux -wayland on the desktops most people use, headless: KWin (layer
surfaces on two outputs) and Mutter (full-screen windows on two monitors,
the small one showing the panel's middle). Each shows the exact frame of
morvelux-render everywhere and ends on a key."""
import desktops
import wayland_harness as h


class OnKWin(h.WaylandTestCase):
    def make_desktop(self, folder):
        return desktops.KWin(folder, outputs=2, size=(1280, 1024))

    def test_layer_surfaces_on_both_outputs_then_a_key(self):
        m = self.start()
        self.wait_outputs(m, self.desktop.output_names())
        m.wait_frames(3)
        self.assertEqual(m.presenter(), "layer-shell")
        for output in self.desktop.output_names():
            self.assertEqual(m.outputs()[output], (1280, 1024, 1, 1))
            self.shows_frame(m, output)
        self.desktop.press_key()
        self.assert_ended_cleanly(m, m.wait(timeout=3.0))


class OnMutter(h.WaylandTestCase):
    def make_desktop(self, folder):
        return desktops.Mutter(folder, sizes=((1280, 1024), (800, 600)))

    def test_full_screen_windows_on_both_monitors_then_a_key(self):
        m = self.start()
        self.assertTrue(h.wait_until(lambda: len(m.outputs()) == 2, 10), "outputs laid out: %s" % m.outputs())
        m.wait_frames(3)
        self.assertEqual(m.presenter(), "xdg-toplevel")
        self.assertEqual(sorted(m.outputs().values()), [(800, 600, 1, 1), (1280, 1024, 1, 1)])
        for output in self.desktop.output_names():
            self.shows_frame(m, output)
        self.desktop.press_key()
        self.assert_ended_cleanly(m, m.wait(timeout=3.0))


if __name__ == "__main__":
    h.main()
