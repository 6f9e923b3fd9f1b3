#!/usr/bin/env python3
"""The release rebuilt bit for bit, the Windows Installer packages with the
rest. scripts/package packs the builds of this
source tree; then the same sources, copied into another folder, are built
again from nothing by scripts/package as another user, with another umask,
time zone and language. The two SHA256SUMS must be the same, file for file.
Unsigned, as a signature carries the time it was made.

    test_reproducible.py [unittest options]
"""
import os
import pwd
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
OTHER_USER = "nobody"
# Long enough for the three programs the release holds to be compiled from nothing on two cores.
BUILD_TIMEOUT = 1200


def commit_time():
    return subprocess.run(["git", "log", "-1", "--format=%ct"], cwd=ROOT, capture_output=True, text=True,
                          check=True).stdout.strip()


def copy_sources(destination):
    """The files git would commit from this tree, as they are now."""
    listed = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"], cwd=ROOT,
                            capture_output=True, check=True).stdout
    for name in filter(None, listed.split(b"\0")):
        source = ROOT / os.fsdecode(name)
        if source.is_file():
            target = destination / os.fsdecode(name)
            target.parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(source, target)


def release_environment(stamp, **changes):
    env = {name: value for name, value in os.environ.items() if not name.startswith("MORVELUX_SIGN")}
    env.update(SOURCE_DATE_EPOCH=stamp, **changes)
    return env


@unittest.skipUnless(os.geteuid() == 0, "needs root, to build the second time as another user")
class Reproducible(unittest.TestCase):
    def setUp(self):
        self.folder = Path(tempfile.mkdtemp(prefix="morvelux-rebuild-"))
        self.folder.chmod(0o755)  # the other user goes through it
        self.addCleanup(shutil.rmtree, self.folder, True)
        self.stamp = commit_time()

    def pack_this_tree(self):
        out = self.folder / "here"
        result = subprocess.run([str(ROOT / "scripts" / "package"), "--no-build", "--out", str(out)],
                                env=release_environment(self.stamp), capture_output=True, text=True, timeout=300)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        return out

    def build_elsewhere(self):
        """From nothing, in a folder of another name and depth, as another user."""
        source = self.folder / "elsewhere" / "a-longer-folder-name" / "morvelux"
        copy_sources(source)
        home = self.folder / "home"
        home.mkdir()
        user = pwd.getpwnam(OTHER_USER)
        for path in (self.folder / "elsewhere", home):
            subprocess.run(["chown", "-R", "%d:%d" % (user.pw_uid, user.pw_gid), str(path)], check=True)
        env = release_environment(self.stamp, HOME=str(home), TZ="Pacific/Chatham", LANG="C", LC_ALL="C")
        started = time.monotonic()
        result = subprocess.run(["setpriv", "--reuid=%d" % user.pw_uid, "--regid=%d" % user.pw_gid,
                                 "--clear-groups", "sh", "-c", "umask 077 && exec scripts/package --out dist"],
                                cwd=source, env=env, capture_output=True, text=True, timeout=BUILD_TIMEOUT)
        print("measured: the release built from nothing in %.0f s" % (time.monotonic() - started), file=sys.stderr)
        self.assertEqual(result.returncode, 0, result.stdout[-3000:] + result.stderr[-3000:])
        return source / "dist"

    def test_same_commit_same_bytes(self):
        here = (self.pack_this_tree() / "SHA256SUMS").read_text()
        elsewhere = (self.build_elsewhere() / "SHA256SUMS").read_text()
        print("SHA256SUMS of this tree's builds:\n%s\nSHA256SUMS built elsewhere:\n%s" % (here, elsewhere),
              file=sys.stderr)
        self.assertEqual(here.splitlines(), elsewhere.splitlines())
        # The Windows Installer packages carry times and codes of their own making.
        for arch in ("x64", "x86"):
            self.assertRegex(here, r"  Morvelux-[\d.]+-%s\.msi\n" % arch)


if __name__ == "__main__":
    unittest.main(verbosity=2)
