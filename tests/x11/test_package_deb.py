#!/usr/bin/env python3
"""The .deb of scripts/package-deb installs and removes cleanly: the module
where Debian's XScreenSaver looks for it, its description and man page, an
entry in the daemon's system-wide list while installed, and nothing left
behind (the list byte for byte as before) once removed."""
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
         "/usr/share/man/man6/morvelux.6.gz", "/usr/share/doc/morvelux/copyright"]
MODULE_LISTS = [Path("/etc/X11/app-defaults/XScreenSaver-nogl"), Path("/etc/X11/app-defaults/XScreenSaver-gl")]


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, timeout=120)


def installed():
    result = run("dpkg-query", "-W", "-f=${Status}", "morvelux")
    return result.returncode == 0 and "installed" in result.stdout.split()


def digest(path):
    return hashlib.sha256(path.read_bytes()).hexdigest() if path.exists() else None


def lists_morvelux(path):
    return any(line.split()[:1] == ["morvelux"] for line in path.read_text(errors="replace").splitlines())


@unittest.skipUnless(os.geteuid() == 0 and shutil.which("dpkg") and shutil.which("cpack"),
                     "needs root, dpkg and cpack")
class DebianPackage(unittest.TestCase):
    def setUp(self):
        if installed():
            self.skipTest("a morvelux package is installed on this machine already")
        self.folder = Path(tempfile.mkdtemp(prefix="morvelux-deb-"))
        self.addCleanup(shutil.rmtree, self.folder, True)

    def test_installs_and_removes_cleanly(self):
        made = run(str(SOURCE / "scripts" / "package-deb"), "--no-build", "--out", str(self.folder))
        self.assertEqual(made.returncode, 0, made.stderr)
        debs = list(self.folder.glob("morvelux_*.deb"))
        self.assertEqual(len(debs), 1, made.stdout)
        lists_before = {p: digest(p) for p in MODULE_LISTS}
        for path in MODULE_LISTS:  # whatever happens, the daemon's lists are left as they were
            if path.exists():
                self.addCleanup(path.write_bytes, path.read_bytes())

        self.addCleanup(run, "dpkg", "--purge", "morvelux")
        result = run("dpkg", "-i", str(debs[0]))
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        for path in FILES:
            self.assertTrue(Path(path).is_file(), path)
        self.assertTrue(os.access(FILES[0], os.X_OK))
        version = run(FILES[0], "-version")
        self.assertRegex(version.stdout, r"^morvelux \d")
        module = ElementTree.parse(FILES[1]).getroot()
        self.assertEqual((module.get("name"), module.get("_label")), ("morvelux", "MORVELUX"))
        self.assertIn(module.find("command").get("arg"), ("-root", "--root"))
        for path in MODULE_LISTS:
            if path.exists():
                self.assertTrue(lists_morvelux(path), "%s does not list morvelux" % path)
        again = run("dpkg", "-i", str(debs[0]))  # installing again adds no second entry
        self.assertEqual(again.returncode, 0, again.stderr)
        for path in MODULE_LISTS:
            if path.exists():
                self.assertEqual(sum(line.split()[:1] == ["morvelux"] for line in path.read_text().splitlines()), 1)

        result = run("dpkg", "-r", "morvelux")
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        for path in FILES:
            self.assertFalse(Path(path).exists(), path)
        self.assertEqual({p: digest(p) for p in MODULE_LISTS}, lists_before)
        self.assertFalse(installed())


if __name__ == "__main__":
    h.main()
