#!/usr/bin/env python3
"""morvelux -wayland where nothing it draws can be seen: an output that gives
no frame callbacks holds the motion with no wake-ups at all, and frames come
again, exact and from the same step, once the compositor asks for them."""
import shutil
import tempfile
import time
import unittest
from pathlib import Path

import desktops
import wayland_harness as h


def held(m):
    """Whether morvelux holds the motion now: the last thing its trace says.
    (A frame callback that comes later than the next tick holds it briefly too.)"""
    lines = m.lines()
    return bool(lines) and lines[-1] == "held"


def ticks(m):
    return [f.tick for f in m.frames()]


def still(m, seconds):
    """Whether no frame came for `seconds`."""
    before = ticks(m)
    time.sleep(seconds)
    return ticks(m) == before


class Hidden(h.WaylandTestCase):
    """A nested sway's output is a window of its host: with the host showing
    another workspace, the output gets no frames and gives none."""

    NESTED = True

    def host(self, *args):
        return self.desktop.run("env", "SWAYSOCK=%s" % self.desktop.host.ipc, "swaymsg", *args)

    def test_held_while_hidden_then_on_from_the_same_step(self):
        m = self.start()
        m.wait_frames(5)
        self.host("workspace", "2")
        self.assertTrue(h.wait_until(lambda: held(m), 3), "frames went on while hidden")
        before, woken = ticks(m), h.x.wake_ups(m.proc.pid)
        time.sleep(2)
        self.assertEqual(ticks(m), before, "frames made for an output nobody sees")
        self.assertEqual(h.x.wake_ups(m.proc.pid), woken, "woken while nothing could be shown")

        self.host("workspace", "1")
        m.wait_frames(len(before) + 3)
        after = m.frames()[len(before)]
        self.assertEqual(after.tick, before[-1] + 1, "the motion jumped while hidden")
        self.shows_frame(m, self.desktop.output_names()[0])
        self.assert_ended_cleanly(m, m.stop())


class Asleep(unittest.TestCase):
    """Weston's headless output goes to sleep after two idle seconds and
    stops sending frame callbacks, as a monitor switched off would."""

    def test_no_wakeups_while_the_output_sleeps(self):
        folder = Path(tempfile.mkdtemp(prefix="morvelux-wayland-"))
        self.addCleanup(shutil.rmtree, folder, True)
        weston = desktops.Weston(folder)
        self.addCleanup(weston.stop)
        m = h.Morvelux(weston)
        self.addCleanup(m.kill)
        m.wait_frames(3)
        # Weston fades the screen out before it sleeps: the frames stop after that.
        self.assertTrue(h.wait_until(lambda: held(m) and still(m, 1.0), 15), "frames went on after weston slept")
        before, woken = ticks(m), h.x.wake_ups(m.proc.pid)
        time.sleep(3)
        self.assertEqual(ticks(m), before)
        self.assertEqual(h.x.wake_ups(m.proc.pid), woken, "woken while the output slept")
        self.assertEqual(m.stop(), 0, m.errors())


if __name__ == "__main__":
    h.main()
