#!/usr/bin/env python3
"""morvelux -wayland -idle: resident, the saver shown over an ordinary
full-screen window when the desktop says the user has been idle (the exact
frame on every output), taken away on a key and shown again after the next
idle time; on sway 1.7 (org_kde_kwin_idle, layer surfaces), KWin
(ext_idle_notifier_v1, layer surfaces) and Mutter (its idle monitor on the
session bus, the session manager's inhibitors, full-screen windows)."""
import signal
import subprocess
import time

import desktops
import wayland_harness as h

IDLE_S = 3
PLAIN = 0x3366CC  # the ordinary window's colour


class IdleCycle:
    """The desktop's idle time shows the saver on every output, a key takes it away, idle again brings it back."""

    SOURCE = None  # the idle source the trace names
    PRESENTER = "layer-shell"
    KEYBOARD_STAYS = True  # the seat keeps its keyboard, so the window's focus can be seen

    def start_idle(self):
        """The plain window, input devices on the seat, then morvelux -idle; when the desktop was last used."""
        self.has_focus = self.desktop.show_plain_window(PLAIN)
        self.desktop.make_input_devices()
        last_input = time.monotonic()
        m = self.start("-idle", str(IDLE_S))
        self.assertTrue(h.wait_until(lambda: any(line.startswith("idle from") for line in m.lines()), 10),
                        "no idle source: %s" % m.errors())
        self.assertIn("idle from " + self.SOURCE, m.lines())
        return m, last_input

    def assert_plain(self, output):
        shot = self.desktop.screenshot(output)()
        self.assertEqual(shot.colours(), {((PLAIN >> 16) & 255, (PLAIN >> 8) & 255, PLAIN & 255):
                                          shot.width * shot.height}, "%s shows more than the window" % output)

    def test_shown_when_idle_gone_on_a_key_back_when_idle_again(self):
        m, last_input = self.start_idle()
        time.sleep(max(0.0, last_input + IDLE_S - 0.5 - time.monotonic()))
        self.assertNotIn("idle shown", m.lines(), "shown before the idle time")
        self.assertEqual(m.frames(), [])

        m.wait_frames(2)
        self.assertEqual(m.presenter(), self.PRESENTER)
        for output in self.desktop.output_names():
            self.shows_frame(m, output)
        self.desktop.press_key()
        if not h.wait_until(lambda: "idle over" in m.lines(), 5):
            self.fail("a key did not end the saver")
        self.assertIsNone(m.proc.poll(), "the process ended with the saver")
        self.assert_plain(self.desktop.output_names()[0])
        if self.KEYBOARD_STAYS:
            self.assertTrue(h.wait_until(self.has_focus, 3), "the window did not get the keyboard back")

        if not h.wait_until(lambda: m.lines().count("idle shown") == 2, IDLE_S + 10):
            self.fail("not shown again after another idle time")
        self.assert_ended_cleanly(m, m.stop(signal.SIGTERM, timeout=2.0))


class OnSway(IdleCycle, h.WaylandTestCase):
    SOURCE = "org_kde_kwin_idle"
    KEYBOARD_STAYS = False  # each wtype brings a keyboard of its own and takes it away
    OUTPUTS = 2
    CONFIG = ("output HEADLESS-1 resolution 1280x720 position 0 0\n"
              "output HEADLESS-2 resolution 1024x768 position 1280 0\n")


class OnKWin(IdleCycle, h.WaylandTestCase):
    SOURCE = "ext_idle_notifier_v1"

    def make_desktop(self, folder):
        return desktops.KWin(folder, outputs=2, size=(1280, 1024))

    def test_input_to_a_lock_screen_over_it_ends_it(self):
        """The saver sees none of the keys typed into a lock screen come up
        over it; the desktop's word that the user is back ends it."""
        m, _ = self.start_idle()
        m.wait_frames(2)
        locker_has_focus = self.desktop.show_plain_window(0x202020, "locker")
        self.assertTrue(h.wait_until(locker_has_focus, 3), "the lock screen did not get the keyboard")
        self.desktop.press_key()
        if not h.wait_until(lambda: "idle over" in m.lines(), 5):
            self.fail("the saver stayed on after the user came back")
        self.assert_ended_cleanly(m, m.stop(signal.SIGTERM, timeout=2.0))


class OnMutter(IdleCycle, h.WaylandTestCase):
    SOURCE = "org.gnome.Mutter.IdleMonitor"
    PRESENTER = "xdg-toplevel"

    def make_desktop(self, folder):
        return desktops.Mutter(folder, sizes=((1280, 1024), (800, 600)))

    def test_a_keyboard_that_comes_with_its_first_key(self):
        """The remote-desktop keyboard reaches the seat with its first key,
        which the saver sees only held as the keyboard enters, then released."""
        m = self.start()
        self.assertTrue(h.wait_until(lambda: len(m.outputs()) == 2, 10), "outputs laid out: %s" % m.outputs())
        m.wait_frames(3)
        self.assertEqual(sorted(m.outputs().values()), [(800, 600, 1, 1), (1280, 1024, 1, 1)])
        for output in self.desktop.output_names():
            self.shows_frame(m, output)
        self.desktop.press_key()
        self.assert_ended_cleanly(m, m.wait(timeout=3.0))

    def test_idle_again_while_shown_is_past_when_it_ends(self):
        m, _ = self.start_idle()
        m.wait_frames(2)
        self.desktop.ask("move 1 0")  # a nudge, which leaves the saver up and the desktop idle again later
        time.sleep(IDLE_S + 1)
        self.desktop.press_key()
        if not h.wait_until(lambda: "idle over" in m.lines(), 5):
            self.fail("a key did not end the saver")
        time.sleep(IDLE_S - 1)
        self.assertEqual(m.lines().count("idle shown"), 1, "shown again with no idle time after the key")
        self.assert_ended_cleanly(m, m.stop(signal.SIGTERM, timeout=2.0))

    def test_not_shown_while_the_session_inhibits_idling(self):
        self.desktop.ask("inhibit 8")  # the session manager's "idle" flag
        m, _ = self.start_idle()
        time.sleep(IDLE_S + 2)
        self.assertNotIn("idle shown", m.lines())
        self.assert_ended_cleanly(m, m.stop(signal.SIGINT, timeout=2.0))


class Endings(h.WaylandTestCase):
    """Resident, it ends with 0 when the compositor goes."""

    def test_the_compositor_gone_ends_it_quietly(self):
        m = self.start("-idle", "60")
        self.assertTrue(h.wait_until(lambda: "idle from org_kde_kwin_idle" in m.lines(), 10))
        self.desktop.proc.kill()
        self.assert_ended_cleanly(m, m.wait(timeout=2.0))


class NoIdleSource(h.WaylandTestCase):
    """Mutter has no idle protocol: without its session bus the desktop
    tells no idle time, which morvelux says in one line, ending with 1."""

    def make_desktop(self, folder):
        return desktops.Mutter(folder, sizes=((640, 480),))

    def test_one_line_and_1(self):
        elsewhere = self.folder / "elsewhere"  # a runtime folder with no bus in it
        elsewhere.mkdir()
        env = {"PATH": "/usr/bin:/bin", "XDG_RUNTIME_DIR": str(elsewhere),
               "WAYLAND_DISPLAY": str(self.desktop.runtime / self.desktop.DISPLAY)}
        run = subprocess.run(self.desktop.as_user([str(h.BUILD / "morvelux"), "-wayland", "-idle", "5"], env),
                             capture_output=True, timeout=10)
        self.assertEqual(run.returncode, 1)
        lines = run.stderr.decode().splitlines()
        self.assertEqual(len(lines), 1, lines)
        self.assertIn("no idle time", lines[0])


if __name__ == "__main__":
    h.main()
