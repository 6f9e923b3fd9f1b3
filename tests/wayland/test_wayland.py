#!/usr/bin/env python3
"""morvelux -wayland under headless sway: every output black with the exact
frame of morvelux-render centred on it, crisp at scale 2, outputs that come
and go followed, and the ways it ends."""
import os
import signal
import subprocess
import time

import wayland_harness as h
from wire_clients import VirtualPointer
from wayland_harness import x


class TwoOutputs(h.WaylandTestCase):
    """Two outputs of different sizes, one cropping the panel: both show the
    same frame, the title card first and gone after 4.5 s; SIGTERM ends it."""

    OUTPUTS = 2
    CONFIG = ("output HEADLESS-1 resolution 1280x720 position 0 0\n"
              "output HEADLESS-2 resolution 1920x1080 position 1280 0\n")

    def test_title_then_moire_on_every_output_then_sigterm(self):
        m = self.start()
        self.wait_outputs(m, ["HEADLESS-1", "HEADLESS-2"])
        m.wait_frames(3)
        self.assertEqual(m.presenter(), "layer-shell")
        self.assertEqual(m.outputs(), {"HEADLESS-1": (1280, 720, 1, 1), "HEADLESS-2": (1920, 1080, 1, 1)})
        for output in ("HEADLESS-1", "HEADLESS-2"):
            early = self.shows_frame(m, output)
            if early.tick == 0:  # a slow compositor still showed the frame of the activation, before the card
                early = self.shows_frame(m, output)
            self.assertTrue(early.title, "no title card on %s at %d ms" % (output, early.at))

        m.wait_until_ms(x.TITLE_MS + 200)
        for output in ("HEADLESS-1", "HEADLESS-2"):
            late = self.shows_frame(m, output)
            self.assertFalse(late.title, "title card still on %s at %d ms" % (output, late.at))

        started = time.monotonic()
        code = m.stop(signal.SIGTERM, timeout=1.0)
        self.assertLess(time.monotonic() - started, 1.0)
        self.assert_ended_cleanly(m, code)

    def test_full_screen_windows_without_layer_shell(self):
        m = self.start("-no-layer-shell")
        self.wait_outputs(m, ["HEADLESS-1", "HEADLESS-2"])
        m.wait_frames(3)
        self.assertEqual(m.presenter(), "xdg-toplevel")
        windows = [(w["fullscreen_mode"], w["rect"]["width"], w["rect"]["height"]) for w in self.desktop.windows()]
        self.assertEqual(sorted(windows), [(1, 1280, 720), (1, 1920, 1080)])
        for output in ("HEADLESS-1", "HEADLESS-2"):
            self.shows_frame(m, output)
        self.assert_ended_cleanly(m, m.stop(signal.SIGINT))


class Scale2(h.WaylandTestCase):
    """A 2560 x 1600 output at scale 2: the panel 2048 x 1536, every pattern
    pixel an exact 2 x 2 block of the output's pixels."""

    CONFIG = "output HEADLESS-1 resolution 2560x1600 scale 2\n"

    def test_whole_zoom_at_scale_2(self):
        m = self.start()
        self.wait_outputs(m, ["HEADLESS-1"])
        m.wait_frames(2)
        self.assertEqual(m.outputs()["HEADLESS-1"], (2560, 1600, 2, 2))
        self.shows_frame(m, "HEADLESS-1")
        self.assert_ended_cleanly(m, m.stop())


class OutputsAdded(h.WaylandTestCase):
    """Outputs added while it runs get a surface with the current frame; the
    frames carry on everywhere, in memory that stays as it is."""

    def test_new_outputs_get_a_surface(self):
        m = self.start()
        self.wait_outputs(m, ["HEADLESS-1"])
        m.wait_frames(2)
        for name in ("HEADLESS-2", "HEADLESS-3"):
            self.desktop.swaymsg("create_output")
            self.wait_outputs(m, [name])
            self.shows_frame(m, name)
        first = self.shows_frame(m, "HEADLESS-1")
        rss = m.rss_kib()
        time.sleep(2)  # some 30 frames on each of three outputs
        self.assertGreater(self.shows_frame(m, "HEADLESS-1").tick, first.tick, "the frames stopped")
        self.assertLess(m.rss_kib() - rss, 1024, "memory grows from frame to frame")
        self.assert_ended_cleanly(m, m.stop())


class OutputsRemoved(h.WaylandTestCase):
    """Outputs that go away take their surface with them while the frames
    carry on on the others, memory stays flat over repeated changes, and it
    ends when the last output is gone. (sway's outputs are windows of a host
    sway here, WL-1 to WL-n, each 1280 x 720.)"""

    NESTED = True
    # The pointer leaves the focus where it is: sway shows the focused
    # workspace of an output that went on the one that takes it over, which
    # would hide a window of ours there.
    CONFIG = "focus_follows_mouse no\n"

    def add(self, m, n):
        # The nested sway reads the host's events while it makes the output;
        # events that came just before, answers to drawing, can leave it
        # waiting for good for more. Nothing is drawn until the host is quiet.
        os.kill(m.proc.pid, signal.SIGSTOP)
        try:
            time.sleep(0.5)
            self.desktop.swaymsg("create_output")
        finally:
            os.kill(m.proc.pid, signal.SIGCONT)
        self.wait_outputs(m, ["WL-%d" % n])

    def remove(self, m, n):
        """Takes WL-n away, the n-1st output to go."""
        self.assertTrue(self.desktop.remove_output("WL-%d" % n))
        if not h.wait_until(lambda: m.lines().count("output gone") == n - 1, 5):
            self.fail("the surface on WL-%d outlived its output" % n)

    def test_surfaces_follow_outputs(self):
        m = self.start()
        self.wait_outputs(m, ["WL-1"])
        m.wait_frames(2)
        rss = []
        for n in range(2, 12):
            self.add(m, n)
            if n == 2:
                self.shows_frame(m, "WL-2")
            self.remove(m, n)
            rss.append(m.rss_kib())
        first = self.shows_frame(m, "WL-1")
        time.sleep(0.5)
        self.assertGreater(self.shows_frame(m, "WL-1").tick, first.tick, "the frames stopped")
        # One output's two buffers are 7 MB: a leak of them shows at once.
        self.assertLess(max(rss[3:]) - rss[2], 4096, "memory grew: %s KiB" % rss)
        self.assertTrue(self.desktop.remove_output("WL-1"))
        self.assert_ended_cleanly(m, m.wait(timeout=2.0))

    def test_windows_follow_outputs_and_the_pointer_still_counts(self):
        m = self.start("-no-layer-shell")
        self.wait_outputs(m, ["WL-1"])
        m.wait_frames(2)
        self.add(m, 2)
        self.shows_frame(m, "WL-2")
        p = VirtualPointer(self.desktop.runtime / self.desktop.proc.display, (2560, 720))
        self.addCleanup(p.close)
        time.sleep(0.3)  # the new pointer reaches morvelux before it moves
        m.wait_until_ms(2300)  # past the grace period after activation
        p.move_to(1920, 360)  # over WL-2's window
        self.remove(m, 2)
        self.assertEqual([w["rect"]["width"] for w in self.desktop.windows()], [1280])
        self.shows_frame(m, "WL-1")
        self.assertIsNone(m.wait(timeout=0.3), "it ended with the output")
        p.extent = (1280, 720)
        for i in range(30):
            p.move_to(600 + i, 360)
        self.assert_ended_cleanly(m, m.wait(timeout=2.0))


class Endings(h.WaylandTestCase):
    """A key, a button or sustained pointer motion ends it (a nudge does
    not); the compositor gone ends it without a crash."""

    CONFIG = "output HEADLESS-1 resolution 1920x1080\n"

    def test_a_key_ends_it(self):
        m = self.start()
        m.wait_frames(2)
        # wtype waits a little before typing, so that morvelux has the new keyboard by then.
        self.desktop.run("wtype", "-s", "300", "a")
        self.assert_ended_cleanly(m, m.wait(timeout=2.0))

    def running_with_pointer(self):
        """morvelux showing frames, and a new pointer it has heard of."""
        m = self.start()
        m.wait_frames(2)
        p = VirtualPointer(self.desktop.runtime / "wayland-1", (1920, 1080))
        self.addCleanup(p.close)
        time.sleep(0.3)  # the new pointer reaches morvelux before it moves
        return m, p

    def test_sustained_moves_end_it_a_nudge_does_not(self):
        m, p = self.running_with_pointer()
        m.wait_until_ms(2300)  # past the grace period after activation
        for i in range(10):  # a nudge over the panel
            p.move_to(900 + i, 500)
        self.assertIsNone(m.wait(timeout=0.5), "a nudge ended it")
        for i in range(30):
            p.move_to(900 + i, 520)
        self.assert_ended_cleanly(m, m.wait(timeout=2.0))

    def test_a_few_moves_over_the_black_end_it(self):
        m, p = self.running_with_pointer()
        for i in range(10):  # left of the panel, which starts at x 448
            p.move_to(100 + i, 500)
        self.assert_ended_cleanly(m, m.wait(timeout=2.0))

    def test_a_button_ends_it(self):
        m, p = self.running_with_pointer()
        p.move_to(960, 540)
        p.click()
        self.assert_ended_cleanly(m, m.wait(timeout=2.0))

    def test_the_compositor_gone(self):
        m = self.start()
        m.wait_frames(2)
        self.desktop.proc.kill()
        code = m.wait(timeout=2.0)
        self.assertEqual(code, 1, "exit code (negative: a signal ended it)")
        self.assertIn("compositor", m.errors())


class NoCompositor(h.WaylandTestCase):
    def setUp(self):
        pass

    def test_one_line_and_1(self):
        run = subprocess.run([str(h.BUILD / "morvelux"), "-wayland"], capture_output=True, timeout=10,
                             env={"WAYLAND_DISPLAY": "no-such-compositor", "XDG_RUNTIME_DIR": "/nonexistent"})
        self.assertEqual(run.returncode, 1)
        self.assertEqual(run.stderr.decode().splitlines(),
                         ["morvelux: cannot reach the Wayland compositor at no-such-compositor"])


if __name__ == "__main__":
    h.main()
