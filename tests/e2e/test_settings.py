#!/usr/bin/env python3
"""The per-user settings key: created empty on first use, never written, and
values of the wrong type or size change nothing and crash nothing."""
import wine_harness as wh

KEY = r"HKCU\Software\Valdrenn"
SECTION = KEY + r"\ScreenSaverSample"
EMPTY = {"values": {}, "subkeys": []}

# Each row is one set of values in the section, none of them usable.
ODD_VALUES = {
    "DispStr a DWORD, SleepTime binary": {"DispStr": ("REG_DWORD", 5), "SleepTime": ("REG_BINARY", b"\x01\x02\xff")},
    "DispStr binary, SleepTime a DWORD": {"DispStr": ("REG_BINARY", b"\x00"), "SleepTime": ("REG_DWORD", 500)},
    "SleepTime not a number": {"SleepTime": ("REG_SZ", "fast")},
    "SleepTime out of range": {"SleepTime": ("REG_SZ", "99999999999999999999")},
    "DispStr of one megabyte": {"DispStr": ("REG_SZ", "M" * (1 << 20)), "SleepTime": ("REG_SZ", "500")},
}


class Settings(wh.E2ETestCase):

    def show_and_close_about(self):
        saver = self.wine.saver("/c")
        self.assertIsNotNone(self.wine.wait_dialog("About", saver), "no About box; exit code %s" % saver.poll())
        self.wine.key("Return", window=self.wine.wait_window(name="^About$", pid=saver.pid))
        self.assertExits(saver, 0)

    def run_and_end_full_screen(self):
        saver = self.wine.saver("/s")
        window = self.wine.wait_window(name="^screen saver$", pid=saver.pid, timeout=10)
        self.assertIsNone(saver.poll(), "the saver ended by itself")
        self.wine.key("Escape", window=window)
        self.assertExits(saver, 0)

    def test_fresh_user_gets_empty_key(self):
        self.wine.reg_delete(KEY)  # other tests of the run may have used the saver
        software_before = self.wine.reg_query(r"HKCU\Software")["subkeys"]
        saver = self.wine.saver("/c")
        self.assertIsNotNone(self.wine.wait_dialog("About", saver), "no About box; exit code %s" % saver.poll())
        self.assertEqual(self.wine.reg_query(KEY), EMPTY, "the key while the About box is open")
        self.wine.key("Return", window=self.wine.wait_window(name="^About$", pid=saver.pid))
        self.assertExits(saver, 0)
        self.assertEqual(self.wine.reg_query(KEY), EMPTY, "the key after the About box closed")
        software_after = self.wine.reg_query(r"HKCU\Software")["subkeys"]
        self.assertEqual(sorted(set(software_after) - set(software_before)), ["Valdrenn"])

    def check_odd_values(self, run):
        for name, values in ODD_VALUES.items():
            with self.subTest(name):
                self.wine.reg_set(SECTION, values)
                stored = self.wine.reg_tree(KEY)
                run()
                self.assertTrue(stored == self.wine.reg_tree(KEY), "the settings were written to")
        self.wine.reg_delete(SECTION)

    def test_odd_values_absorbed_by_about(self):
        self.check_odd_values(self.show_and_close_about)

    def test_odd_values_absorbed_full_screen(self):
        self.check_odd_values(self.run_and_end_full_screen)


if __name__ == "__main__":
    wh.main()
