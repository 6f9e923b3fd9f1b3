#!/usr/bin/env python3
"""The harness checks itself: displays, prefix, screenshots, windows, input,
the leftover check and the preview host, with programs of its own."""
import wine_harness as wh
from pixels import near

PROBE_COLOUR = (0x20, 0x80, 0xC0)


class HarnessSelfTest(wh.E2ETestCase):

    def test_environment(self):
        for name, screen in self.wine.state["screens"].items():
            shot = wh.Wine(name, artifacts=self.wine.artifacts).screenshot()
            self.assertEqual((shot.width, shot.height), (screen["width"], screen["height"]), name)
        system = self.wine.system_screen()
        self.assertEqual((system["width"], system["height"]), self.wine.size, "Wine's idea of the screen")
        managed = self.wine.reg_query(r"HKCU\Software\Wine\X11 Driver")
        self.assertEqual(managed["values"].get("Managed"), ("REG_SZ", "N"))
        fonts = self.wine.reg_query(r"HKCU\Software\Wine\Fonts\Replacements")
        self.assertEqual(fonts["values"].get("Arial"), ("REG_SZ", "Liberation Sans"))

    def test_window_found_shown_and_closed(self):
        probe = self.wine.tool("foreground_probe", "--title", "Harness Probe", "--x", 100, "--y", 80,
                               "--width", 300, "--height", 200)
        probe.wait_for_line(r"^foreground 1$")
        window = self.wine.wait_window(name="^Harness Probe$")
        self.assertIn(window, self.wine.find_windows(pid=probe.pid))
        self.assertEqual(self.wine.geometry(window), (100, 80, 300, 200))

        info = self.wine.find_dialog("Harness Probe")
        self.assertEqual(info.rect, [100, 80, 400, 280])
        self.assertEqual(info["foreground"], 1)
        self.assertEqual(self.wine.foreground()["hwnd"], info["hwnd"])
        self.assertEqual(self.wine.focused_window(), window)
        client = self.wine.screenshot((*info.client_origin, *info.client_size))
        self.assertGreater(client.fraction(near(PROBE_COLOUR)), 0.99)

        self.wine.key("Escape", window=window)
        self.assertExits(probe, 0)
        self.assertIn("closed", probe.lines())
        self.assertTrue(self.wine.window_gone(window))
        self.assertEqual(self.wine.leftovers(), [])

    def test_leftover_is_caught(self):
        probe = self.wine.tool("foreground_probe", "--title", "Left Behind", stdin=True)
        probe.wait_for_line(r"^hwnd \d+")
        self.assertEqual([p.pid for p in self.wine.leftovers()], [probe.pid])
        self.assertEqual(self.wine.kill_leftovers()[0].pid, probe.pid)
        self.assertEqual(self.wine.leftovers(), [])

        witness = self.wine.tool("foreground_probe", "--title", "Only Watching", witness=True)
        witness.wait_for_line(r"^hwnd \d+")
        self.assertEqual(self.wine.leftovers(), [])
        self.wine.kill_leftovers()
        self.assertIsNotNone(witness.poll(), "a witness is ended after the test")

        probe = self.wine.tool("foreground_probe", "--title", "Asked To Quit", stdin=True)
        probe.wait_for_line(r"^hwnd \d+")
        probe.send("quit\n")
        self.assertExits(probe, 0)

    def test_preview_host_starts_the_saver(self):
        host = self.wine.tool("preview_host", self.wine.saver_windows_path(), "--close-after", 1000, "--wait", 8000)
        area = host.wait_for_line(r"^host hwnd=\d+ area=(\d+) rect=(-?\d+),(-?\d+),(-?\d+),(-?\d+)")
        left, top, right, bottom = (int(v) for v in area.groups()[1:])
        self.assertEqual((right - left, bottom - top), (152, 112))
        host.wait_for_line(r"^saver started pid=\d+")
        host.wait_for_line(r"^sent WM_CLOSE to \d+ at \d+ ms")
        host.wait_for_line(r"^saver exit code \d+", timeout=10)
        self.assertExits(host, 0)


class HarnessOtherScreen(wh.E2ETestCase):
    """A test on another screen gets a Wine session that sees that screen."""

    screen = "large"

    def test_session_follows_the_screen(self):
        self.assertEqual(self.wine.size, (1280, 1024))
        system = self.wine.system_screen()
        self.assertEqual((system["width"], system["height"]), self.wine.size)
        probe = self.wine.tool("foreground_probe", "--title", "Far Corner", "--x", 1000, "--y", 800, stdin=True)
        probe.wait_for_line(r"^foreground 1$")
        window = self.wine.wait_window(name="^Far Corner$", pid=probe.pid)
        self.assertEqual(self.wine.geometry(window), (1000, 800, 320, 200))
        info = self.wine.find_dialog("Far Corner")
        client = self.wine.screenshot((*info.client_origin, *info.client_size))
        self.assertGreater(client.fraction(near(PROBE_COLOUR)), 0.99)
        probe.send("quit\n")
        self.assertExits(probe, 0)


class HarnessMonitors(wh.E2ETestCase):
    """Wine sees Xephyr's monitors; the primary's corner is Windows' origin."""

    screen = "left"

    def test_a_monitor_left_of_the_primary_has_negative_coordinates(self):
        virtual, monitors = self.wine.monitor_info()
        self.assertEqual(virtual["rect"], [-1280, 0, 2304, 1024], "the virtual screen: left, top, width, height")
        self.assertEqual(virtual["count"], 2)
        left = self.wine.monitors[1]
        x, y = self.wine.layout.to_windows(left.x + 100, left.y + 80)
        self.assertEqual((x, y), (-1180, 80))
        probe = self.wine.tool("foreground_probe", "--title", "Left Monitor", "--x", x, "--y", y, stdin=True)
        probe.wait_for_line(r"^foreground 1$")
        window = self.wine.wait_window(name="^Left Monitor$", pid=probe.pid)
        self.assertEqual(self.wine.geometry(window), (left.x + 100, left.y + 80, 320, 200))
        info = self.wine.find_dialog("Left Monitor")
        self.assertEqual(info.rect, [x, y, x + 320, y + 200])
        client = self.wine.screenshot((*self.wine.layout.to_x(*info.client_origin), *info.client_size))
        self.assertGreater(client.fraction(near(PROBE_COLOUR)), 0.99)
        probe.send("quit\n")
        self.assertExits(probe, 0)


if __name__ == "__main__":
    wh.main()
