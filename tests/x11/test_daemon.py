#!/usr/bin/env python3
"""morvelux under Debian's XScreenSaver daemon: run for an ordinary user (the
daemon refuses to run modules as root) with a throwaway home whose
.xscreensaver, as the settings program writes it, gets MORVELUX through
`morvelux -add-to-xscreensaver` (every other line kept, idempotent);
activating the daemon starts morvelux on the daemon's window showing the
moiré, deactivating it ends morvelux."""
import os
import shutil
import signal
import subprocess
import tempfile
import unittest
from pathlib import Path

import x11_harness as h

USER = "nobody"  # any user but root; its home here is a throwaway one

# As xscreensaver-settings writes the file: the daemon is to run the first
# module of the list, which is where -add-to-xscreensaver puts MORVELUX.
SETTINGS = """\
# XScreenSaver Preferences File
timeout:	1:00:00
lock:		False
fade:		False
unfade:		False
splash:		False
dpmsEnabled:	False
mode:		one
selected:	0

programs:								      \\
				maze -root				    \\n\\
-				xflame -root				    \\n\\
  GL: 				superquadrics -root			    \\n\\
				deco -root				    \\n


pointerPollTime:    0:00:05
"""


def module_processes(program):
    """Pids of processes running `program` (the copy in the throwaway home)."""
    found = []
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                if os.readlink("/proc/%s/exe" % entry) == str(program):
                    found.append(int(entry))
            except OSError:
                pass
    return found


@unittest.skipUnless(os.geteuid() == 0 and shutil.which("xscreensaver"),
                     "needs root (to run the daemon as another user) and the xscreensaver package")
class Daemon(h.X11TestCase):
    SCREEN = (1024, 768)

    def setUp(self):
        super().setUp()
        self.home = Path(tempfile.mkdtemp(prefix="morvelux-home-"))
        self.addCleanup(shutil.rmtree, self.home, True)
        self.program = self.home / "morvelux"
        shutil.copy2(h.BUILD / "morvelux", self.program)
        self.trace = self.home / "trace"
        # The daemon finds "morvelux" on its PATH: this one runs the copy with a trace.
        self.bin = self.home / "bin"
        self.bin.mkdir()
        (self.bin / "morvelux").write_text('#!/bin/sh\nexec %s "$@" -trace %s\n' % (self.program, self.trace))
        (self.bin / "morvelux").chmod(0o755)
        self.settings = self.home / ".xscreensaver"
        self.settings.write_text(SETTINGS)
        pw = __import__("pwd").getpwnam(USER)
        self.ids = (pw.pw_uid, pw.pw_gid)
        for path in (self.home, self.settings):
            os.chown(path, *self.ids)

    def as_user(self, *command):
        return ["setpriv", "--reuid=%d" % self.ids[0], "--regid=%d" % self.ids[1], "--clear-groups",
                "env", "-i", "HOME=%s" % self.home, "DISPLAY=%s" % self.display, "PATH=%s:/usr/bin:/bin" % self.bin,
                *command]

    def command(self, *args):
        return subprocess.run(self.as_user("xscreensaver-command", *args), capture_output=True, text=True,
                              timeout=20)

    def start_daemon(self):
        with open(self.folder / "daemon.log", "wb") as log:
            daemon = subprocess.Popen(self.as_user("xscreensaver", "-no-splash"), stdin=subprocess.DEVNULL,
                                      stdout=log, stderr=log, start_new_session=True)
        self.addCleanup(self.stop_daemon, daemon)
        if not h.wait_until(lambda: self.command("-time").returncode == 0, 20):
            self.fail("the daemon did not answer: %s" % (self.folder / "daemon.log").read_text(errors="replace"))

    def stop_daemon(self, daemon):
        self.command("-exit")
        try:
            daemon.wait(10)
        except subprocess.TimeoutExpired:
            os.killpg(daemon.pid, signal.SIGKILL)
            daemon.wait(5)
        for pid in module_processes(self.program):
            os.kill(pid, signal.SIGKILL)

    def add_to_list(self):
        result = subprocess.run(self.as_user(str(self.program), "-add-to-xscreensaver"), capture_output=True,
                                text=True, timeout=20)
        self.assertEqual(result.returncode, 0, result.stderr)
        return self.settings.read_text()

    def test_activate_runs_morvelux_deactivate_ends_it(self):
        added = self.add_to_list()
        new_lines = added.splitlines()
        ours = [line for line in new_lines if line.split()[:1] == ["morvelux"]]
        self.assertEqual(len(ours), 1, added)
        new_lines.remove(ours[0])
        self.assertEqual(new_lines, SETTINGS.splitlines(), "another line changed")
        self.assertEqual(self.add_to_list(), added, "adding it again changed the file")
        self.assertEqual(self.settings.stat().st_uid, self.ids[0])

        self.start_daemon()
        self.assertEqual(module_processes(self.program), [])
        self.assertEqual(self.command("-activate").returncode, 0)

        running = h.wait_until(lambda: module_processes(self.program), 20)
        self.assertTrue(running, "the daemon did not start morvelux; log: %s" %
                        (self.folder / "daemon.log").read_text(errors="replace"))
        shown = h.Trace(self.trace)
        h.wait_until(lambda: len(shown.frames()) >= 3, 10)
        self.assertGreaterEqual(len(shown.frames()), 3, "morvelux showed no frames under the daemon")
        self.shows_frame(shown, "root", self.SCREEN)

        self.assertEqual(self.command("-deactivate").returncode, 0)
        gone = h.wait_until(lambda: not module_processes(self.program), 10)
        self.assertTrue(gone, "morvelux still runs after the daemon was deactivated")


if __name__ == "__main__":
    h.main()
