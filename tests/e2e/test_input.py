#!/usr/bin/env python3
"""What ends the full-screen saver and what pauses it: Esc (also while
paused), Space held, a click, a double click, and sustained mouse movement
over the picture or over the black border."""
import time

import wine_harness as wh
from saver_screen import FullScreenCase

GRACE_S = 2.0  # moves over the picture this soon after the start do not count
MOVE_INTERVAL_S = 0.08  # long enough for the saver to read each move before the next: Wine merges unread ones


def path(x, y, count, dx=3, dy=1):
    """count distinct points from (x, y) on, so that every move is one."""
    return [(x + dx * i, y + dy * i) for i in range(count)]


class Input(FullScreenCase):

    def test_space_held_pauses_and_esc_ends_while_paused(self):
        saver, window = self.start_saver()
        self.wine.wait_focus(window)
        try:
            self.wine.key_down("space")
            time.sleep(0.3)
            held, _ = self.panel_shot()
            time.sleep(0.5)
            still, _ = self.panel_shot()
            self.assertTrue(held.data == still.data, "the picture moved while Space was held")
            self.wine.key_up("space")
            time.sleep(0.5)
            moving, _ = self.panel_shot()
            self.assertFalse(moving.data == still.data, "the picture stayed still after Space was released")

            self.wine.key_down("space")
            time.sleep(0.3)
            pressed = time.monotonic()
            self.wine.key("Escape")
            self.assertEndsAtOnce(saver, pressed, "Esc while paused")
        finally:
            self.wine.key_up("space")

    def test_click_and_double_click_end_it(self):
        for button, repeat in ((1, 1), (3, 1), (1, 2)):
            with self.subTest(button=button, clicks=repeat):
                saver, window = self.start_saver()
                self.wine.wait_focus(window)
                x, y = self.on_screen(300, 200)
                self.wine.mouse_move(x, y)
                pressed = time.monotonic()
                self.wine.click(button=button, repeat=repeat)
                self.assertEndsAtOnce(saver, pressed, "the click")
                self.assertTrue(self.wine.window_gone(window, 2))

    def test_moves_over_the_picture_count_from_two_seconds_on(self):
        saver, window = self.start_saver()
        self.wine.mouse_moves(path(*self.on_screen(200, 150), 30), 0.02)
        early = time.monotonic() - self.shown
        self.assertLess(early, GRACE_S - 0.2, "the early moves took too long to test the grace period")
        self.assertTrue(self.alive_after(saver, 0.3), "moves in the first two seconds ended the saver")

        wh.wait_until(lambda: time.monotonic() - self.shown > GRACE_S + 1.2, 10)
        self.wine.mouse_moves(path(*self.on_screen(400, 300), 25), MOVE_INTERVAL_S)
        self.assertTrue(self.alive_after(saver, 0.4), "25 counted moves ended the saver")
        moved = time.monotonic()
        self.wine.mouse_move(*self.on_screen(600, 500))
        self.assertEndsAtOnce(saver, moved, "the 26th move")


class InputOnTheBorder(FullScreenCase):

    screen = "large"

    def test_nine_moves_over_the_border_end_it(self):
        saver, window = self.start_saver()
        self.wine.mouse_moves(path(20, 40, 8, dx=2, dy=3), MOVE_INTERVAL_S)
        self.assertTrue(self.alive_after(saver, 0.4), "8 moves over the border ended the saver")
        moved = time.monotonic()
        self.wine.mouse_move(1200, 60)
        self.assertEndsAtOnce(saver, moved, "the ninth move")

    def test_clicks_on_the_border_do_not_end_it(self):
        saver, window = self.start_saver()
        self.wine.wait_focus(window)
        self.wine.mouse_move(40, 60)  # one move over the border: nine would end it
        for button, repeat in ((1, 1), (3, 1), (1, 2)):
            self.wine.click(button=button, repeat=repeat)
        self.assertTrue(self.alive_after(saver, 0.5), "a click on the border ended the saver")
        # The same click over the picture ends it: the clicks did reach the saver.
        self.wine.mouse_move(*self.on_screen(300, 200))
        pressed = time.monotonic()
        self.wine.click()
        self.assertEndsAtOnce(saver, pressed, "a click on the picture")


if __name__ == "__main__":
    wh.main()
