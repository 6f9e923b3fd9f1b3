#!/usr/bin/env python3
"""morvelux run by hand: its own 1024 x 768 window, where Esc or q ends it
and holding Space pauses it; and its command line."""
import subprocess
import time

import x11_harness as h


class OwnWindow(h.X11TestCase):
    SCREEN = (1024, 768)

    def xdotool(self, *args):
        result = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True, timeout=15,
                                env={"DISPLAY": self.display, "PATH": "/usr/bin:/bin"})
        return result.stdout.strip()

    def own_window(self, m):
        found = h.wait_until(lambda: self.xdotool("search", "--class", "morvelux"), 10)
        self.assertTrue(found, "morvelux made no window")
        window = int(found.split()[0])
        self.xdotool("windowfocus", "--sync", window)
        m.wait_frames(2)
        return window

    def test_space_held_pauses_and_q_ends(self):
        m = self.start()
        window = self.own_window(m)
        self.shows_frame(m, window, (1024, 768))

        self.xdotool("keydown", "space")
        time.sleep(0.3)
        held = len(m.frames())
        time.sleep(0.6)
        self.assertEqual(len(m.frames()), held, "frames went on while Space was held")
        self.shows_frame(m, window, (1024, 768))
        self.xdotool("keyup", "space")
        time.sleep(0.4)
        self.assertGreater(len(m.frames()), held, "no frames after Space was let go")

        self.xdotool("key", "q")
        self.assert_ended_cleanly(m, m.wait(2))

    def test_space_and_cover_hold_it_apart(self):
        """Uncovering does not undo a held Space; letting Space go while
        covered does not draw on the covered window."""
        m = self.start()
        self.own_window(m)

        def moving():
            time.sleep(0.4)
            count = len(m.frames())
            time.sleep(0.5)
            return len(m.frames()) > count

        self.xdotool("keydown", "space")
        self.x.destroy(self.x.create_window(1024, 768))
        self.assertFalse(moving(), "uncovering undid the Space pause")
        cover = self.x.create_window(1024, 768)
        self.xdotool("keyup", "space")
        self.assertFalse(moving(), "letting Space go drew on a covered window")
        self.x.destroy(cover)
        self.assertTrue(moving(), "no frames once uncovered with Space let go")
        self.assert_ended_cleanly(m, m.stop())

    def test_escape_ends(self):
        m = self.start("-window")
        self.own_window(m)
        self.xdotool("key", "Escape")
        self.assert_ended_cleanly(m, m.wait(2))


class CommandLine(h.X11TestCase):
    SCREEN = (640, 480)

    def run_morvelux(self, *args, env=None):
        environment = {"DISPLAY": self.display, **(env or {})}
        return subprocess.run([str(h.BUILD / "morvelux"), *args], capture_output=True, text=True, timeout=10,
                              env=environment)

    def test_help_and_version(self):
        for option in ("-help", "--help"):
            result = self.run_morvelux(option)
            self.assertEqual(result.returncode, 0)
            self.assertIn("-window-id", result.stdout)
        result = self.run_morvelux("-version")
        self.assertEqual(result.returncode, 0)
        self.assertRegex(result.stdout, r"^morvelux \d+\.\d+\.\d+\n$")

    def test_bad_options_one_line_and_code_2(self):
        for args in (["-bogus"], ["--window-id"], ["-window-id", "12z"], ["-window-id", "-5"], ["stray"],
                     ["-wayland", "-display", ":1"], ["-no-layer-shell"]):
            result = self.run_morvelux(*args)
            self.assertEqual(result.returncode, 2, args)
            self.assertEqual(result.stdout, "")
            self.assertEqual(len(result.stderr.splitlines()), 1, result.stderr)
            self.assertTrue(result.stderr.startswith("morvelux: "), result.stderr)

    def test_a_trace_that_cannot_be_written_says_why(self):
        result = self.run_morvelux("-window", "-trace", "/nonexistent/morvelux.trace")
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr, "morvelux: cannot write /nonexistent/morvelux.trace: "
                                        "No such file or directory\n")

    def test_windows_that_cannot_be_used_end_it_with_one_line(self):
        for args, env in ((["-window-id", "0x3fffff0"], None), (["-root"], {"XSCREENSAVER_WINDOW": "nonsense"}),
                          (["-window"], {"DISPLAY": ":9999"})):
            result = self.run_morvelux(*args, env=env)
            self.assertEqual(result.returncode, 1, (args, result.stderr))
            self.assertEqual(len(result.stderr.splitlines()), 1, result.stderr)


if __name__ == "__main__":
    h.main()
