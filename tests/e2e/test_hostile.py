#!/usr/bin/env python3
"""Hostile command lines and hostile settings: whatever the saver is started
with or finds in the registry, it never crashes nor hangs, and ends with
code 0. Windows it opens are closed as a user would."""
import os
import shutil
import tempfile
import time
from pathlib import Path

import pixels
import wine_harness as wh
from saver_screen import FullScreenCase

LONG = 10000
# A handle the saver must not use: beyond 32 bits, signs, hex prefixes,
# non-ASCII, the special handles (-1, HWND_MESSAGE, HWND_BROADCAST), junk.
UNUSABLE_HANDLES = (
    "", "99999999999999999999", "-2147483649", "4294967296", "2147483648",
    "$", "0x", "-0x7FFFFFFF", "$FFFFFFFF", "0xFFFFFFFD", "-1", "-3", "65535",
    "é", "ß", "1e9", " 12", "+", "9" * LONG,
)
ENDS_BY_ITSELF_S = 2.0  # more than a program that does nothing takes to run


class HostileCommandLines(FullScreenCase):

    def runs_briefly(self, args, baseline):
        """The saver started with args ends by itself with code 0, opening no window."""
        started = time.monotonic()
        saver = self.wine.saver(*args)
        shown = set()
        while saver.poll() is None and time.monotonic() - started < baseline + ENDS_BY_ITSELF_S:
            shown.update(self.wine.find_windows(pid=saver.pid))
        self.assertExits(saver, 0, timeout=1)
        took = time.monotonic() - started
        self.assertLess(took, baseline + ENDS_BY_ITSELF_S, "ran %.2fs (an empty program: %.2fs)" % (took, baseline))
        self.assertEqual(shown, set(), "the saver showed windows")

    def baseline(self):
        started = time.monotonic()
        self.assertExits(self.wine.tool("wininfo", "screen"), 0)
        return time.monotonic() - started

    def test_preview_with_unusable_handles_ends_by_itself(self):
        baseline = self.baseline()
        lines = [["/p", h] for h in UNUSABLE_HANDLES]
        lines += [["-p:" + h] for h in ("", "12", "-3", "$FFFFFFFF", "99999999999999999999")]
        lines += [["xP", "1", "2", "3", "4"], ["/p", "0", "/s"], [":p" + "q" * LONG], ["/p", "é", "ß"]]
        for args in lines:
            with self.subTest(args=[a[:40] for a in args]):
                self.runs_briefly(args, baseline)

    def test_password_change_with_unusable_handles_ends_by_itself(self):
        baseline = self.baseline()
        lines = [["/a", h] for h in ("99999999999999999999", "-2147483649", "4294967296", "$FFFFFFFF",
                                     "-0x7FFFFFFF", "-1", "-3", "65535", "é", "9" * LONG)]
        lines += [["/a:"], ["-a:12"], ["xa", "1", "2", "3", "4"], ["/A" + "z" * LONG]]
        for args in lines:
            with self.subTest(args=[a[:40] for a in args]):
                self.runs_briefly(args, baseline)

    def test_other_switches_run_full_screen_until_esc(self):
        # Only the second character picks the mode; anything else there, or none, runs the saver.
        for args in ([""], ["/"], ["s"], ["/ß"], ["/é"], ["/x"], ["/1"], ["//"], ["-s:"],
                     [":s", "-3"], ["/s", "1", "2", "3", "4"], ["/s", "99999999999999999999"],
                     ["/s" + "s" * LONG]):
            with self.subTest(args=[a[:40] for a in args]):
                saver, window = self.start_saver(*args)
                self.assertEqual(self.wine.geometry(window), (0, 0, *self.wine.size))
                self.end_with_esc(saver, window)

    def test_configure_switches_show_about_until_enter(self):
        for args in (["/c:"], ["-c:12"], ["xc", "99999999999999999999"], ["/C", "-2147483649"],
                     ["/c", "$FFFFFFFF"], ["/c", "-3"], ["/c", "65535"], ["/c", "1", "2", "3", "4"],
                     ["/c" + "c" * LONG], ["/c", "é"]):
            with self.subTest(args=[a[:40] for a in args]):
                saver = self.wine.saver(*args)
                self.assertIsNotNone(self.wine.wait_dialog("About", saver), "no About box; exit code %s" % saver.poll())
                self.wine.key("Return", window=self.wine.wait_window(name="^About$", pid=saver.pid))
                self.assertExits(saver, 0)


KEY = r"HKCU\Software\Valdrenn"
SECTION = KEY + r"\ScreenSaverSample"

# Each row is one set of values in the section; none is usable, and the
# saver must run with its defaults.
HOSTILE_SETTINGS = {
    "DispStr binary without a terminating zero, SleepTime below the 32-bit range": {
        "DispStr": ("REG_BINARY", b"Morvelux" * 4097 + b"M"), "SleepTime": ("REG_SZ", "-2147483649")},
    "DispStr one binary byte, SleepTime a bare hex prefix": {
        "DispStr": ("REG_BINARY", b"A"), "SleepTime": ("REG_SZ", "0x")},
    "SleepTime binary without a terminating zero": {"SleepTime": ("REG_BINARY", b"500")},
    "SleepTime a DWORD, DispStr of one megabyte": {
        "SleepTime": ("REG_DWORD", 0xFFFFFFFF), "DispStr": ("REG_SZ", "M" * (1 << 20))},
}


class HostileSettings(FullScreenCase):

    def assert_runs_with_defaults(self):
        saver, window = self.start_saver()
        self.assertEqual(self.wine.geometry(window), (0, 0, *self.wine.size))
        first, _ = self.panel_shot()
        deadline, moved = time.monotonic() + 5, False
        while not moved and time.monotonic() < deadline and saver.poll() is None:
            time.sleep(0.25)
            moved = pixels.compare(first, self.panel_shot()[0]).count > 0
        self.assertTrue(moved, "the picture did not change in 5 s (exit code %s)" % saver.poll())
        self.end_with_esc(saver, window)

    def test_hostile_values_leave_the_defaults(self):
        try:
            for name, values in HOSTILE_SETTINGS.items():
                with self.subTest(name):
                    self.wine.reg_set(SECTION, values)
                    self.assert_runs_with_defaults()
        finally:
            self.wine.reg_delete(KEY)

    def test_section_that_is_a_value_instead_of_a_key(self):
        self.wine.reg_delete(KEY)
        try:
            self.wine.reg_add(KEY, "ScreenSaverSample", "REG_SZ", "not a key")
            self.assert_runs_with_defaults()
        finally:
            self.wine.reg_delete(KEY)


class PlantedLibraries(wh.E2ETestCase):
    """A copy of the saver in a folder where someone left DLLs named like the
    ones it loads at run time, started with another such folder as its
    current directory, and Wine told to prefer a native DLL of each name
    over its own: a careless search would take a planted one."""

    def setUp(self):
        super().setUp()
        folder = Path(tempfile.mkdtemp(prefix="planted-", dir=self.wine.dir))
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        self.downloads, self.current = folder / "Downloads", folder / "current"
        dlls = [Path(d) for d in self.wine.config["planted_dlls"]]
        for place in (self.downloads, self.current):
            place.mkdir()
            for dll in dlls:
                shutil.copy(dll, place / dll.name)
        self.saver = self.downloads / Path(self.wine.config["saver"]).name
        shutil.copy(self.wine.config["saver"], self.saver)
        self.marker = folder / "loaded.txt"
        self.wine.add_environment(MORVELUX_PLANTED_MARKER=wh.windows_path(self.marker))
        overrides = r"HKCU\Software\Wine\AppDefaults\%s\DllOverrides" % self.saver.name
        self.wine.reg_set(overrides, {dll.stem.lower(): ("REG_SZ", "native,builtin") for dll in dlls})
        self.addCleanup(self.wine.reg_delete, overrides.rsplit("\\", 1)[0])
        cwd = os.getcwd()
        os.chdir(self.current)
        self.addCleanup(os.chdir, cwd)

    def assert_none_loaded(self, mode):
        loaded = self.marker.read_text() if self.marker.exists() else ""
        self.marker.unlink(missing_ok=True)
        with self.subTest(mode):
            self.assertEqual(loaded, "", "%s loaded planted DLLs" % mode)

    def test_password_change_never_loads_a_planted_mpr_dll(self):
        for args in (["/a", "0"], ["/a"], ["-A:0"]):
            self.assertExits(self.wine.start(self.saver, *args), 0)
            self.assert_none_loaded(" ".join(args))

    def test_full_screen_settings_and_preview_load_none(self):
        saver = self.wine.start(self.saver, "/s")
        self.wine.key("Escape", window=self.wine.wait_window(name="^screen saver$", pid=saver.pid))
        self.assertExits(saver, 0)
        self.assert_none_loaded("/s")

        saver = self.wine.start(self.saver, "/c")
        self.wine.key("Return", window=self.wine.wait_window(name="^About$", pid=saver.pid))
        self.assertExits(saver, 0)
        self.assert_none_loaded("/c")

        host = self.wine.tool("preview_host", wh.windows_path(self.saver), "--close-after", 1500)
        host.wait_for_line(r"^saver exit code 0$")
        self.assertExits(host, 0)
        self.assert_none_loaded("/p")


if __name__ == "__main__":
    wh.main()
