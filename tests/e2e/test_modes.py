#!/usr/bin/env python3
"""The mode switch the system starts a screen saver with: only its second
character counts, and the password change does nothing where no password
provider exists and calls the system's provider where one does. (The
configuration switches are with the About box tests.)"""
import os
import shutil
import tempfile
import time
from pathlib import Path

import wine_harness as wh
from saver_screen import FullScreenCase


class Modes(FullScreenCase):

    def test_switches_that_run_full_screen(self):
        for switch in ("-s", "/S", "xS", "S", "/s:123"):
            with self.subTest(switch=switch):
                saver, window = self.start_saver(switch)
                self.assertEqual(self.wine.geometry(window), (0, 0, *self.wine.size))
                self.end_with_esc(saver, window)

    def test_password_change_without_provider_does_nothing(self):
        # Wine's own mpr.dll may or may not offer the entry point; either way nothing shows and the saver ends.
        for args in (["/a"], ["/a", "0"], ["-A", "12345"]):
            with self.subTest(args=args):
                saver = self.wine.saver(*args)
                shown, deadline = set(), time.monotonic() + 10
                while saver.poll() is None and time.monotonic() < deadline:
                    shown.update(self.wine.find_windows(pid=saver.pid))
                self.assertExits(saver, 0)
                self.assertEqual(shown, set(), "the saver showed windows")


class PasswordChange(wh.E2ETestCase):

    def install_provider(self):
        """Puts the stand-in provider in the prefix's system folder in place
        of Wine's mpr.dll; the original is back after the test."""
        system_mpr = Path(self.wine.prefix) / "drive_c" / "windows" / "system32" / "mpr.dll"
        original = system_mpr.with_name("mpr.dll.original")
        if not original.exists():  # else an interrupted run left it: that one is the original
            shutil.copy2(system_mpr, original)
        self.addCleanup(os.replace, original, system_mpr)
        shutil.copy(self.wine.config["planted_mpr"], system_mpr)

    def test_calls_the_system_provider_once_and_frees_it(self):
        folder = Path(tempfile.mkdtemp(prefix="provider-", dir=self.wine.dir))
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        record = folder / "provider.txt"
        self.install_provider()
        self.wine.add_environment("mpr=n", MORVELUX_PLANTED_MARKER=wh.windows_path(record))
        self.assertExits(self.wine.saver("/a", "4660"), 0)
        # "freed" comes from FreeLibrary; a library left loaded would be
        # "unloaded at process exit" instead.
        lines = record.read_text().splitlines()
        self.assertRegex(lines[0] if lines else "", r"(?i)^loaded from c:\\windows\\system32\\mpr\.dll$")
        self.assertEqual(lines[1:], ["called provider=SCRSAVE owner=4660 reserved=0,0", "freed"])


if __name__ == "__main__":
    wh.main()
