#!/usr/bin/env python3
"""morvelux on windows it is given: frame for frame what morvelux-render
composes, centred and cropped by the window's size, and a clean end."""
import os
import signal
import time

import x11_harness as h


class GivenWindow(h.X11TestCase):
    """-window-id on a window the test made: the title card first, the bare
    moiré after 4.5 s, black around the panel; SIGTERM ends it at once."""

    def test_title_then_moire_then_sigterm(self):
        size = (1280, 1024)
        window = self.x.create_window(*size)
        m = self.start("-window-id", hex(window))
        m.wait_frames(3)
        self.assertEqual(m.presenter(), "shm")
        early = self.shows_frame(m, window, size)
        self.assertTrue(early.title, "no title card at %d ms" % early.at)
        self.assertGreater(early.tick, 0)

        m.wait_until_ms(h.TITLE_MS + 200)
        late = self.shows_frame(m, window, size)
        self.assertFalse(late.title, "title card still there at %d ms" % late.at)
        self.assertGreater(late.tick, early.tick)

        started = time.monotonic()
        code = m.stop(signal.SIGTERM, timeout=1.0)
        self.assertLess(time.monotonic() - started, 1.0)
        self.assert_ended_cleanly(m, code)

    def test_starts_once_an_unmapped_parent_is_mapped(self):
        # Mapped itself but not viewable: no MapNotify will come when it is seen.
        parent = self.x.create_window(640, 480, mapped=False)
        window = self.x.create_window(640, 480, parent=parent)
        m = self.start("-window-id", hex(window))
        time.sleep(1.5)  # it has started and looked at the window
        self.assertEqual(m.frames(), [], "frames shown on a window nobody can see")
        self.x.map(parent)
        m.wait_frames(2, timeout=5)
        self.shows_frame(m, window, (640, 480))
        self.assert_ended_cleanly(m, m.stop(signal.SIGTERM))

    def test_paced_and_asleep_between_ticks(self):
        window = self.x.create_window(640, 480)
        m = self.start("-window-id", str(window))
        m.wait_frames(2)
        cpu_before, t0 = h.cpu_seconds(m.proc.pid), time.monotonic()
        time.sleep(3)
        cpu = h.cpu_seconds(m.proc.pid) - cpu_before
        frames = [f for f in m.frames() if f.tick > 0]
        gaps = [b.at - a.at for a, b in zip(frames, frames[1:])]
        self.assertLess(cpu / (time.monotonic() - t0), 0.10, "morvelux keeps a core busy between ticks")
        self.assertGreater(len(gaps), 20)
        self.assertGreaterEqual(min(gaps), 60, "ticks came faster than every 60 ms")
        self.assertEqual([f.tick for f in frames], list(range(frames[0].tick, frames[0].tick + len(frames))),
                         "every motion step was shown once")
        self.assert_ended_cleanly(m, m.stop(signal.SIGINT))


class Hidden(h.X11TestCase):
    """A window nobody can see, covered by another or unmapped, gets no
    frames and the program sleeps; seen again, it shows the frame it stood
    at and goes on from there."""

    SCREEN = (1024, 768)

    def test_covered_then_unmapped(self):
        size = (640, 480)
        window = self.x.create_window(*size)
        m = self.start("-window-id", hex(window))
        m.wait_frames(3)
        covers = []
        ways = (("covered", lambda: covers.append(self.x.create_window(*size, background=0xFF0000)),
                 lambda: self.x.destroy(covers.pop())),
                ("unmapped", lambda: self.x.unmap(window), lambda: self.x.map(window)))
        for name, hide, show in ways:
            with self.subTest(name):
                hide()
                time.sleep(0.3)  # the news reaches morvelux
                count, woken = len(m.frames()), h.wake_ups(m.proc.pid)
                time.sleep(1.5)
                self.assertEqual(len(m.frames()), count, "frames shown while %s" % name)
                self.assertLessEqual(h.wake_ups(m.proc.pid) - woken, 1, "woke up while %s" % name)
                show()
                time.sleep(0.1)
                self.shows_frame(m, window, size)
                frames = m.wait_frames(count + 1)
                self.assertEqual(frames[count].tick, frames[count - 1].tick + 1,
                                 "the motion did not go on from where it stood")
        self.assert_ended_cleanly(m, m.stop())


class DarkMonitor(h.X11TestCase):
    """A monitor the server reports off (through a stand-in for its DPMS
    extension): nothing drawn, a look every few seconds; lit again, the
    motion goes on from the same frame."""

    SCREEN = (1024, 768)
    LOOK_S = 5  # how often morvelux asks

    def test_dark_then_lit(self):
        power = self.folder / "dpms"
        power.write_text("on")
        m = self.start("-root", env={"LD_PRELOAD": os.environ["MORVELUX_FAKE_DPMS_LIB"],
                                     "MORVELUX_FAKE_DPMS": str(power)})
        m.wait_frames(3)
        power.write_text("off")
        time.sleep(self.LOOK_S + 0.5)  # it has looked since
        count, woken = len(m.frames()), h.wake_ups(m.proc.pid)
        time.sleep(self.LOOK_S + 0.5)
        self.assertEqual(len(m.frames()), count, "frames shown while the monitor was off")
        self.assertLessEqual(h.wake_ups(m.proc.pid) - woken, 3, "woke up more often than it looks")
        power.write_text("on")
        frames = m.wait_frames(count + 1, timeout=self.LOOK_S + 3)
        self.assertEqual(frames[count].tick, frames[count - 1].tick + 1,
                         "the motion did not go on from where it stood")
        self.shows_frame(m, "root", self.SCREEN)
        self.assert_ended_cleanly(m, m.stop())


class ScreenSaverWindow(h.X11TestCase):
    """XSCREENSAVER_WINDOW, with --root as the module description has the
    daemon pass it: the given window wins; the saver ends quietly when the
    daemon destroys the window."""

    SCREEN = (1024, 768)

    def test_draws_on_the_daemons_window_and_ends_with_it(self):
        window = self.x.create_window(1024, 768)
        m = self.start("--root", env={"XSCREENSAVER_WINDOW": "0x%X" % window})
        m.wait_frames(3)
        frame = self.shows_frame(m, window, (1024, 768))
        self.assertTrue(frame.title)
        # The root window was left alone: around the test window nothing but its grey.
        self.x.destroy(window)
        code = m.wait(timeout=2.0)
        self.assert_ended_cleanly(m, code)


class Resized(h.X11TestCase):
    """The panel is laid out again when the window changes size: a black
    border round it on a larger window, cropped equally on a smaller one."""

    def test_recentred_on_resize(self):
        window = self.x.create_window(1024, 768)
        m = self.start("-window-id", str(window))
        m.wait_frames(2)
        self.shows_frame(m, window, (1024, 768))
        for size in ((1280, 1024), (801, 601), (1100, 700)):
            self.x.resize(window, *size)
            time.sleep(0.3)  # the resize reaches morvelux, which repaints
            self.shows_frame(m, window, size)
        self.assert_ended_cleanly(m, m.stop())


class WithoutSharedMemory(h.X11TestCase):
    """A server without MIT-SHM gets the same frames through XPutImage."""

    SCREEN = (1024, 768)
    XVFB_ARGS = ("-extension", "MIT-SHM")

    def test_plain_put_image(self):
        window = self.x.create_window(900, 700)
        m = self.start("-window-id", str(window))
        m.wait_frames(3)
        self.assertEqual(m.presenter(), "putimage")
        self.shows_frame(m, window, (900, 700))
        self.assert_ended_cleanly(m, m.stop())


class HighDensity(h.X11TestCase):
    """Where the desktop says the screen has twice the designed density, the
    panel is enlarged twice, each pixel a sharp 2 x 2 square."""

    SCREEN = (2560, 1600)

    def test_panel_doubled_on_a_192_dpi_screen(self):
        self.x.set_resources("Xft.dpi:\t192\n")
        m = self.start("-root")
        m.wait_frames(3)
        self.shows_frame(m, "root", self.SCREEN, zoom=2)
        self.assert_ended_cleanly(m, m.stop())


if __name__ == "__main__":
    h.main()
