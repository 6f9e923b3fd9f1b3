#!/usr/bin/env python3
"""The .deb of scripts/package-deb as Debian expects it: lintian finds
nothing to warn about (hardening, changelog), and it installs and removes
cleanly: the module where Debian's XScreenSaver looks for it, its description,
man page and changelog, and the daemon's system-wide lists of modules, which
another package owns, byte for byte as they were throughout."""
import gzip
import hashlib
import os
import shutil
import subprocess
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree
from pathlib import Path

import x11_harness as h

SOURCE = Path(__file__).resolve().parents[2]
FILES = ["/usr/libexec/xscreensaver/morvelux", "/usr/share/xscreensaver/config/morvelux.xml",
         "/usr/share/man/man6/morvelux.6.gz", "/usr/share/doc/morvelux/copyright",
         "/usr/share/doc/morvelux/changelog.gz"]
MODULE_LISTS = [Path("/etc/X11/app-defaults/XScreenSaver-nogl"), Path("/etc/X11/app-defaults/XScreenSaver-gl")]


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, timeout=120)


def installed():
    result = run("dpkg-query", "-W", "-f=${Status}", "morvelux")
    return result.returncode == 0 and "installed" in result.stdout.split()


def digest(path):
    return hashlib.sha256(path.read_bytes()).hexdigest() if path.exists() else None



@unittest.skipUnless(os.geteuid() == 0 and shutil.which("dpkg") and shutil.which("cpack"),
                     "needs root, dpkg and cpack")
class DebianPackage(unittest.TestCase):
    def setUp(self):
        if installed():
            self.skipTest("a morvelux package is installed on this machine already")
        self.folder = Path(tempfile.mkdtemp(prefix="morvelux-deb-"))
        self.addCleanup(shutil.rmtree, self.folder, True)

    def make_package(self):
        made = run(str(SOURCE / "scripts" / "package-deb"), "--no-build", "--out", str(self.folder))
        self.assertEqual(made.returncode, 0, made.stderr)
        debs = list(self.folder.glob("morvelux_*.deb"))
        self.assertEqual(len(debs), 1, made.stdout)
        return debs[0]

    def test_lintian_finds_nothing_to_warn_about(self):
        self.assertTrue(shutil.which("lintian"), "lintian is missing: run scripts/deps")
        result = run("lintian", "--info", "--fail-on", "error,warning", str(self.make_package()))
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertNotIn("hardening-", result.stdout)

    def test_man_page_is_dated_from_the_release_and_lint_clean(self):
        self.assertTrue(shutil.which("mandoc"), "mandoc is missing: run scripts/deps")
        env = dict(os.environ, SOURCE_DATE_EPOCH="1767225600")  # 2026-01-01
        made = subprocess.run([str(SOURCE / "scripts" / "package-deb"), "--no-build", "--out", str(self.folder)],
                              capture_output=True, text=True, timeout=120, env=env)
        self.assertEqual(made.returncode, 0, made.stderr)
        unpacked = self.folder / "unpacked"
        self.assertEqual(run("dpkg-deb", "-x", str(next(self.folder.glob("*.deb"))), str(unpacked)).returncode, 0)
        page = unpacked / FILES[2].lstrip("/")
        text = gzip.decompress(page.read_bytes()).decode()
        self.assertRegex(text.splitlines()[0], r'^\.TH MORVELUX 6 "2026-01-01" ')
        self.assertIn(Path(SOURCE / "LICENSE").read_text().splitlines()[2], text)
        lint = run("mandoc", "-Tlint", "-W", "style", str(page))
        self.assertEqual(lint.returncode, 0, lint.stdout + lint.stderr)

    def test_installs_and_removes_cleanly(self):
        deb = self.make_package()
        lists_before = {p: digest(p) for p in MODULE_LISTS}
        self.addCleanup(run, "dpkg", "--purge", "morvelux")
        result = run("dpkg", "-i", str(deb))
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        for path in FILES:
            self.assertTrue(Path(path).is_file(), path)
        self.assertTrue(os.access(FILES[0], os.X_OK))
        version = run(FILES[0], "-version")
        self.assertRegex(version.stdout, r"^morvelux \d")
        module = ElementTree.parse(FILES[1]).getroot()
        self.assertEqual((module.get("name"), module.get("_label")), ("morvelux", "MORVELUX"))
        self.assertEqual(module.find("command").get("arg"), "--root")
        self.assertEqual({p: digest(p) for p in MODULE_LISTS}, lists_before)

        result = run("dpkg", "-r", "morvelux")
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        for path in FILES:
            self.assertFalse(Path(path).exists(), path)
        self.assertEqual({p: digest(p) for p in MODULE_LISTS}, lists_before)
        self.assertFalse(installed())


if __name__ == "__main__":
    h.main()
