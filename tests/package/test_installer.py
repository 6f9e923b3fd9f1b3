#!/usr/bin/env python3
"""The x64 setup program under Wine, in a prefix of its own: a silent
install, the installed saver at work, the option left unticked, the finish
page's options, an upgrade
in place that keeps the user's choice of saver, a silent uninstall, a system
folder it may not write, and Morvelux.scr held open by another program.

Every test starts from a machine with nothing of ours on it."""
import os
import re
import shlex
import shutil
import sys
import zipfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))

import saver_screen  # noqa: E402
import wine_harness as wh  # noqa: E402
import throwaway_certificate  # noqa: E402
from test_package import ico_images, icon_images  # noqa: E402

INSTALLED = r"C:\windows\system32\Morvelux.scr"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Morvelux"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
SETTINGS_KEY = r"HKCU\Software\Valdrenn"
SESSION_MANAGER = r"HKLM\System\CurrentControlSet\Control\Session Manager"
OTHER_SAVER = r"C:\windows\system32\scrnsave.scr"
ACCESS_DENIED = 5
IN_USE = 32            # ERROR_SHARING_VIOLATION
REBOOT_REQUIRED = 3010  # ERROR_SUCCESS_REBOOT_REQUIRED
SETUP_TITLE = "MORVELUX %s Setup"
OPEN_SETTINGS = "Open the Screen Saver settings"
PREVIEW_NOW = "Preview now"
ROOT = Path(__file__).resolve().parents[2]


class SetupCase(wh.E2ETestCase):
    """Runs setup programs and uninstallers in the run's prefix and looks at
    what they leave: files, registry, Start menu."""

    def setUp(self):
        super().setUp()
        self.release = wh.load_json(wh.run_dir() / "release.json")
        self.drive = Path(self.wine.prefix) / "drive_c"
        self.remove_everything_of_ours()

    # running the programs

    def run_setup(self, setup, *args, timeout=60):
        return self.wine.start(setup, *args).wait(timeout)

    def install(self, setup=None):
        code = self.run_setup(setup or self.release["setup"], "/S")
        self.assertEqual(code, 0, "the silent install failed")

    def uninstall_silently(self):
        """Runs the QuietUninstallString as Windows would and waits for the
        copy of the uninstaller it hands the work to; returns the exit code."""
        command = self.uninstall_values()["QuietUninstallString"]
        program, *args = shlex.split(command.replace("\\", "/"))
        code = self.wine.start(program, *args).wait(30)
        self.assertTrue(wh.wait_until(lambda: not self.uninstaller_copies(), 30),
                        "the uninstaller still runs: %s" % self.uninstaller_copies())
        return code

    def uninstall_in_place(self):
        """Runs the uninstaller as its launcher hands the work on (a copy
        outside the folder, told the folder with _?=) and returns the work's
        own exit code, all 32 bits of it: the launcher always ends with 0."""
        values = self.uninstall_values()
        folder = self.drive / "uninstall-copy"
        folder.mkdir(exist_ok=True)
        self.addCleanup(shutil.rmtree, folder, True)
        shutil.copy(self.unix_path(shlex.split(values["UninstallString"])[0]), folder / "Au_.exe")
        return self.run_from_batch(r"C:\uninstall-copy\Au_.exe /S _?=%s" % values["InstallLocation"])

    def run_from_batch(self, command, timeout=60):
        """Runs a command line from a batch file, which waits for it, and
        returns its exit code, all 32 bits of it (Wine cuts a program's own
        to 8)."""
        batch = self.drive / "run-from-batch.bat"
        self.addCleanup(batch.unlink, True)
        batch.write_text("@echo off\r\n%s\r\necho exit %%ERRORLEVEL%%\r\n" % command)
        proc = self.wine.start("cmd", "/c", r"C:\run-from-batch.bat")
        proc.wait(timeout)
        return int(proc.wait_for_line(r"^exit (-?\d+)").group(1))

    def hold_installed_program(self):
        """Keeps Morvelux.scr open, sharing reading only, until the returned
        process is killed (at the latest after the test)."""
        holder = self.wine.start(self.release["holder"], INSTALLED, witness=True)
        holder.wait_for_line("^held$")
        return holder

    def uninstaller_copies(self):
        return [p for p in wh.processes_in_prefix(self.wine.prefix) if any("_?=" in a for a in p.cmdline)]

    def setup_title(self):
        return SETUP_TITLE % self.release["version"]

    def start_interactive(self):
        """Starts the setup and goes past the welcome and licence pages to
        the components; returns the setup and its window."""
        setup = self.wine.start(self.release["setup"])
        # The pages add a blank to the title.
        page = self.wine.wait_window(name="^%s ?$" % re.escape(self.setup_title()), pid=setup.pid)
        for button in ("Next >", "I Agree"):
            self.assertTrue(wh.wait_until(lambda: self.foreground_button_enabled(button), 10), button)
            self.wine.key("Return", window=page)
        self.assertTrue(wh.wait_until(lambda: self.foreground_button_enabled("Install"), 10), "no components page")
        return setup, page

    def wait_finish_page(self):
        self.assertTrue(wh.wait_until(lambda: self.foreground_button_enabled("Finish"), 20), "the install did not end")
        return self.wine.foreground()

    def toggle_option(self, finish, text):
        """Clicks the finish page's option and sees it change."""
        before = finish.child(cls="Button", text=text)
        left, top, _, bottom = before["rect"]
        x, y = finish.client_origin
        self.wine.click(x + left + 7, y + (top + bottom) // 2)
        changed = wh.wait_until(lambda: self.wine.foreground().child(cls="Button", text=text)["checked"]
                                != before["checked"], 5)
        self.assertTrue(changed, "%s did not change" % text)

    def previews(self):
        """The installed saver running full screen."""
        return [p for p in wh.processes_in_prefix(self.wine.prefix)
                if p.image.lower() == "morvelux.scr" and "/s" in p.cmdline]

    def stand_in_for_the_control_panel(self):
        """Puts the witness where the Control Panel is (Wine's own cannot
        show the Screen Saver settings and ends at once); returns the file it
        writes its command line to."""
        control = self.system_folder() / "control.exe"
        kept = control.read_bytes()
        self.addCleanup(control.write_bytes, kept)
        shutil.copy(self.release["witness"], control)
        log = self.wine.artifacts / "control-panel.txt"
        log.unlink(missing_ok=True)
        self.wine.add_environment(dll_overrides="control.exe=n", MORVELUX_WITNESS=wh.windows_path(log))
        return log

    def foreground_button_enabled(self, text):
        window = self.wine.foreground()
        button = window.child(cls="Button", text=text) if window else None
        return bool(button and button["enabled"])

    # what is on the machine

    def unix_path(self, windows_path):
        drive, rest = windows_path.split(":", 1)
        self.assertEqual(drive.upper(), "C")
        return self.drive / rest.replace("\\", "/").lstrip("/")

    def system_folder(self):
        return self.drive / "windows" / "system32"

    def files_of_ours(self):
        """Everything named after us in the system folder, Program Files and
        every Start menu."""
        places = [self.system_folder(), self.drive / "Program Files"]
        places += [self.drive / "ProgramData/Microsoft/Windows/Start Menu"]
        places += list(self.drive.glob("users/*/AppData/Roaming/Microsoft/Windows/Start Menu"))
        found = []
        for place in places:
            found += [p for p in place.rglob("*") if "morvelux" in p.name.lower()]
        return sorted(found)

    def uninstall_values(self):
        key = self.wine.reg_query(UNINSTALL_KEY)
        return {name: data for name, (_, data) in key["values"].items()} if key else None

    def desktop_value(self, name):
        key = self.wine.reg_query(DESKTOP_KEY)
        value = key["values"].get(name) if key else None
        return value[1] if value else None

    def set_desktop_values(self, values):
        self.wine.reg_set(DESKTOP_KEY, {name: ("REG_SZ", data) for name, data in values.items()}, replace=False)

    def short_path(self, path):
        """The short form of a path, as Windows computes it."""
        proc = self.wine.start("cmd", "/c", "for %%I in (%s) do @echo %%~sI" % path)
        self.assertEqual(proc.wait(20), 0)
        return proc.lines()[-1].strip()

    def registry_mentions(self, *words):
        """Lines of the prefix's registry that name any of the words. Wine
        writes its registry to disk when the session ends, so this ends it."""
        wh.stop_wineserver(self.wine.config, self.wine.prefix)
        found = []
        for hive in Path(self.wine.prefix).glob("*.reg"):
            for line in hive.read_text(encoding="latin-1").splitlines():
                if any(word in line.lower() for word in words):
                    found.append("%s: %s" % (hive.name, line))
        return found

    def remove_everything_of_ours(self):
        for path in self.files_of_ours():
            if path.is_dir():
                shutil.rmtree(path)
            elif path.exists():
                path.unlink()
        for key in (UNINSTALL_KEY, SETTINGS_KEY):
            self.wine.reg_delete(key)
        self.wine.reg("delete", DESKTOP_KEY, "/v", "SCRNSAVE.EXE", "/f")
        self.wine.reg("delete", SESSION_MANAGER, "/v", "PendingFileRenameOperations", "/f")

    # checks

    def assertInstalled(self, version, payload):
        self.assertEqual(self.unix_path(INSTALLED).read_bytes(), payload, "the installed program")
        values = self.uninstall_values()
        self.assertIsNotNone(values, "no Uninstall entry")
        self.assertEqual(values["DisplayVersion"], version)

    def assertNothingOfOursLeft(self):
        self.assertEqual(self.files_of_ours(), [])
        self.assertIsNone(self.uninstall_values())
        self.assertIsNone(self.wine.reg_query(SETTINGS_KEY))

    def released_program(self, archive="zip"):
        with zipfile.ZipFile(self.release[archive]) as archive:
            return archive.read("Morvelux.scr")


class SilentInstall(SetupCase):

    def test_puts_the_saver_in_the_system_folder_registers_it_and_makes_it_current(self):
        users_own = {"ScreenSaveTimeOut": "420", "ScreenSaverIsSecure": "1"}
        self.set_desktop_values(users_own)
        control_panel = self.stand_in_for_the_control_panel()
        self.install()

        self.assertInstalled(self.release["version"], self.released_program())
        values = self.uninstall_values()
        uninstaller = self.unix_path(shlex.split(values["UninstallString"])[0])
        self.assertTrue(uninstaller.is_file(), values["UninstallString"])
        self.assertEqual(values["QuietUninstallString"], values["UninstallString"] + " /S")
        self.assertEqual(values["DisplayName"].split()[0], "MORVELUX")
        self.assertEqual(values["Publisher"], "Valdrenn")
        self.assertEqual(values["URLInfoAbout"], "www.valdrenn.example")
        self.assertEqual(icon_images(uninstaller.read_bytes()), ico_images((ROOT / "app/morvelux.ico").read_bytes()),
                         "the uninstaller's icon")
        self.assertEqual(values["DisplayIcon"].lower(), INSTALLED.lower() + ",0")
        size_kb = int(values["EstimatedSize"], 16)
        self.assertEqual(size_kb, -(-len(self.released_program()) // 1024), "EstimatedSize in KB")

        self.assertEqual(self.desktop_value("SCRNSAVE.EXE"), self.short_path(INSTALLED))
        self.assertEqual(self.desktop_value("ScreenSaveActive"), "1")
        for name, data in users_own.items():
            self.assertEqual(self.desktop_value(name), data, "%s changed" % name)

        start_menu = [p for p in self.files_of_ours() if p.suffix == ".lnk"]
        self.assertEqual(len(start_menu), 1, self.files_of_ours())
        self.assertFalse(wh.wait_until(lambda: self.previews() or control_panel.exists(), 2),
                         "a silent install opens nothing")

    def test_installed_programs_carry_the_release_signature(self):
        self.install()
        uninstaller = shlex.split(self.uninstall_values()["UninstallString"])[0]
        for program in (INSTALLED, uninstaller):
            code, output = throwaway_certificate.verify(self.unix_path(program), self.release["certificate"])
            self.assertEqual(code, 0, "%s: %s" % (program, output[-1500:]))

    def test_option_left_unticked_keeps_the_current_saver(self):
        control_panel = self.stand_in_for_the_control_panel()
        setup, page = self.start_interactive()
        # The components list has the focus on the saver itself; the option is next.
        self.wine.key("Down", "space", window=page)
        self.wine.key("Return", window=page)  # Install
        self.toggle_option(self.wait_finish_page(), OPEN_SETTINGS)
        self.wine.key("Return", window=page)  # Finish
        self.assertExits(setup, 0, timeout=20)
        self.assertIsNotNone(self.uninstall_values())
        self.assertIsNone(self.desktop_value("SCRNSAVE.EXE"))
        self.assertFalse(wh.wait_until(lambda: self.previews() or control_panel.exists(), 2), "unticked: not opened")


class FinishPage(SetupCase):

    def test_offers_the_settings_ticked_and_the_preview_unticked_and_runs_what_is_ticked(self):
        control_panel = self.stand_in_for_the_control_panel()
        setup, page = self.start_interactive()
        self.wine.key("Return", window=page)  # Install
        finish = self.wait_finish_page()
        ticked = {text: (finish.child(cls="Button", text=text) or {}).get("checked")
                  for text in (OPEN_SETTINGS, PREVIEW_NOW)}
        self.assertEqual(ticked, {OPEN_SETTINGS: 1, PREVIEW_NOW: 0})
        self.toggle_option(finish, PREVIEW_NOW)
        self.wine.key("Return", window=page)  # Finish
        self.assertExits(setup, 0, timeout=20)
        self.assertTrue(wh.wait_until(control_panel.exists, 20), "the Control Panel was not started")
        self.assertIn("desk.cpl,,@screensaver", control_panel.read_text())
        preview = wh.wait_until(self.previews, 20)
        self.assertTrue(preview, "the preview was not started")
        wh.kill_pid(preview[0].pid)


class InstalledSaver(SetupCase, saver_screen.FullScreenCase):

    def setUp(self):
        super().setUp()
        self.install()
        self.wine.config["saver"] = INSTALLED.replace("\\", "/")

    def test_full_screen_shows_the_moire_and_ends_on_esc(self):
        saver, window = self.start_saver("/s")
        self.assertEqual(self.frame().differing, 0)
        # How fast it ends is the end-to-end tests' business; here it must end well.
        self.wine.key("Escape", window=window)
        self.assertExits(saver, 0, timeout=5)

    def test_configure_shows_the_about_box(self):
        saver = self.wine.saver("/c")
        self.assertIsNotNone(self.wine.wait_dialog("About", saver), "no About box; exit code %s" % saver.poll())
        window = self.wine.wait_window(name="^About$", pid=saver.pid)
        self.wine.key("Return", window=window)
        self.assertExits(saver, 0)


class Upgrade(SetupCase):

    def test_newer_setup_replaces_the_older_in_place(self):
        self.install(self.release["older_setup"])
        older = Path(self.release["older_payload"]).read_bytes()
        self.assertInstalled(self.release["older_version"], older)
        self.install()
        self.assertInstalled(self.release["version"], self.released_program())
        entries = self.wine.reg_tree(r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall")
        ours = [key for key, values in entries.items() if "MORVELUX" in values.get("DisplayName", ("", ""))[1]]
        self.assertEqual(ours, ["Morvelux"])
        named = sorted(p.name for p in self.files_of_ours() if p.is_file())
        self.assertEqual(named, ["MORVELUX.lnk", "Morvelux.scr"], "one program, one shortcut")


    def test_keeps_the_saver_the_user_chose_since(self):
        self.install(self.release["older_setup"])
        self.set_desktop_values({"SCRNSAVE.EXE": OTHER_SAVER, "ScreenSaveActive": "0"})
        self.install()
        self.assertInstalled(self.release["version"], self.released_program())
        self.assertEqual(self.desktop_value("SCRNSAVE.EXE"), OTHER_SAVER)
        self.assertEqual(self.desktop_value("ScreenSaveActive"), "0")

    def test_keeps_morvelux_current_and_savers_off(self):
        self.install(self.release["older_setup"])
        current = self.desktop_value("SCRNSAVE.EXE")
        self.assertEqual(current, self.short_path(INSTALLED))
        self.set_desktop_values({"ScreenSaveActive": "0"})
        self.install()
        self.assertEqual(self.desktop_value("SCRNSAVE.EXE"), current)
        self.assertEqual(self.desktop_value("ScreenSaveActive"), "0")


class FileInUse(SetupCase):
    """Morvelux.scr held open without sharing writing or deleting, as the
    Screen Saver settings hold it while they show its preview."""

    def install_older_and_hold_it(self):
        self.install(self.release["older_setup"])
        return self.hold_installed_program()

    def assertOlderStillInstalled(self):
        self.assertInstalled(self.release["older_version"], Path(self.release["older_payload"]).read_bytes())

    def test_upgrade_changes_nothing_and_says_so(self):
        holder = self.install_older_and_hold_it()
        code = self.run_setup(self.release["setup"], "/S")
        self.report("silent upgrade over Morvelux.scr in use: exit code %d" % code)
        self.assertEqual(code, IN_USE)
        self.assertOlderStillInstalled()
        holder.kill()
        self.install()
        self.assertInstalled(self.release["version"], self.released_program())

    def test_interactive_upgrade_asks_to_close_the_settings(self):
        self.install_older_and_hold_it()
        setup, page = self.start_interactive()
        self.wine.key("Return", window=page)  # Install
        box = self.wine.wait_dialog(self.setup_title(), setup)
        self.assertIsNotNone(box, "no message; exit code %s" % setup.poll())
        text = " ".join(str(child["text"]) for child in box.children)
        self.assertIn("in use", text)
        self.assertIn("Screen Saver settings", text)
        self.wine.key("Escape", window=self.wine.wait_window(name="^%s$" % re.escape(self.setup_title()),
                                                              pid=setup.pid))  # Cancel
        stopped = wh.wait_until(lambda: self.wine.foreground() and self.wine.foreground().child(
            text="Installation Aborted"), 20)
        self.assertTrue(stopped, "setup did not stop")
        self.wine.key("Escape", window=page)  # Cancel, the one button left
        code = setup.wait(20)
        self.report("interactive upgrade over Morvelux.scr in use, Cancel: exit code %d" % code)
        self.assertEqual(code, IN_USE)
        self.assertOlderStillInstalled()

    def test_uninstall_removes_it_at_restart_and_keeps_the_entry_until_then(self):
        self.install()
        holder = self.hold_installed_program()
        code = self.uninstall_in_place()
        self.assertEqual(code, REBOOT_REQUIRED)
        self.assertTrue(self.unix_path(INSTALLED).exists())
        self.assertIsNotNone(self.uninstall_values(), "the entry went while the file stays")
        self.assertIsNone(self.desktop_value("SCRNSAVE.EXE"))
        self.assertEqual([p for p in self.files_of_ours() if p.suffix == ".lnk"], [])
        launcher = self.uninstall_silently()  # as Apps & features runs it, once more
        self.report("silent uninstall with Morvelux.scr in use: exit code %d (its launcher's: %d)" % (code, launcher))
        self.assertIsNotNone(self.uninstall_values())

        holder.kill()
        self.assertEqual(self.wine.start("wineboot", "-r").wait(60), 0)  # Windows restarts
        self.assertFalse(self.unix_path(INSTALLED).exists(), "not removed at the restart")
        self.assertEqual(self.uninstall_in_place(), 0)
        self.assertNothingOfOursLeft()

    def test_install_before_the_restart_keeps_the_new_file(self):
        other = "\\??\\C:\\windows\\temp\\other.tmp"
        self.wine.reg_import('REGEDIT4\n\n[%s]\n"PendingFileRenameOperations"=hex(7):%s\n' % (
            "HKEY_LOCAL_MACHINE" + SESSION_MANAGER[4:],
            ",".join("%02x" % b for b in other.encode() + b"\0\0\0")))
        self.install()
        holder = self.hold_installed_program()
        self.assertEqual(self.uninstall_in_place(), REBOOT_REQUIRED)
        self.assertIn("morvelux.scr", self.pending_renames().lower())
        holder.kill()
        self.install()
        self.assertNotIn("morvelux.scr", self.pending_renames().lower())
        self.assertIn("other.tmp", self.pending_renames(), "another program's pending delete stays")
        self.assertEqual(self.wine.start("wineboot", "-r").wait(60), 0)  # Windows restarts
        self.assertInstalled(self.release["version"], self.released_program())

    def pending_renames(self):
        key = self.wine.reg_query(SESSION_MANAGER)
        value = key["values"].get("PendingFileRenameOperations") if key else None
        return str(value[1]) if value else ""


class SilentUninstall(SetupCase):

    def test_removes_everything_and_forgets_our_saver_but_not_the_timeout(self):
        self.install()
        self.set_desktop_values({"ScreenSaveTimeOut": "420"})
        self.wine.reg_set(SETTINGS_KEY, {})  # as the saver leaves it for a user who ran it
        self.assertEqual(self.uninstall_silently(), 0)
        self.assertNothingOfOursLeft()
        self.assertIsNone(self.desktop_value("SCRNSAVE.EXE"))
        self.assertEqual(self.desktop_value("ScreenSaveTimeOut"), "420")
        self.assertEqual(self.registry_mentions("morvelux", "valdrenn"), [])

    def test_leaves_a_saver_the_user_chose_since(self):
        self.install()
        chosen = r"C:\windows\system32\scrnsave.scr"
        self.set_desktop_values({"SCRNSAVE.EXE": chosen})
        self.assertEqual(self.uninstall_silently(), 0)
        self.assertNothingOfOursLeft()
        self.assertEqual(self.desktop_value("SCRNSAVE.EXE"), chosen)


class SystemFolderReadOnly(SetupCase):
    """The system folder made read-only for the run's Wine session, as it is
    for a user without administrator rights."""

    def make_system_folder_read_only(self):
        folder = self.system_folder()
        mode = folder.stat().st_mode
        folder.chmod(mode & ~0o222)
        self.addCleanup(folder.chmod, mode)
        # Root writes anywhere; a session without these capabilities does not.
        wh.stop_wineserver(self.wine.config, self.wine.prefix)
        self.addCleanup(wh.stop_wineserver, self.wine.config, self.wine.prefix)
        if os.geteuid() == 0:
            self.wine.config["wine64"] = self.unprivileged_wine()

    def unprivileged_wine(self):
        wrapper = self.wine.artifacts / "wine-without-root-rights"
        wrapper.write_text("#!/bin/sh\nexec setpriv --bounding-set -dac_override,-dac_read_search,-fowner %s \"$@\"\n"
                           % shlex.quote(self.wine.config["wine64"]))
        wrapper.chmod(0o755)
        return str(wrapper)

    def test_silent_install_ends_with_access_denied_and_writes_nothing(self):
        self.make_system_folder_read_only()
        self.assertEqual(self.run_setup(self.release["setup"], "/S"), ACCESS_DENIED)
        self.assertNothingOfOursLeft()
        self.assertIsNone(self.desktop_value("SCRNSAVE.EXE"))

    def test_interactive_install_says_why_and_what_to_do(self):
        self.make_system_folder_read_only()
        title = self.setup_title()
        setup = self.wine.start(self.release["setup"])
        box = self.wine.wait_dialog(title, setup)
        self.assertIsNotNone(box, "no message; exit code %s" % setup.poll())
        text = " ".join(str(child["text"]) for child in box.children)
        self.assertIn("system folder", text)
        self.assertIn("administrator", text)
        self.wine.key("Return", window=self.wine.wait_window(name="^%s$" % title, pid=setup.pid))
        self.assertExits(setup, ACCESS_DENIED)
        self.assertNothingOfOursLeft()

    def test_uninstall_changes_nothing(self):
        self.install()
        self.make_system_folder_read_only()
        self.uninstall_silently()
        self.assertInstalled(self.release["version"], self.released_program())
        self.assertEqual(self.desktop_value("SCRNSAVE.EXE"), self.short_path(INSTALLED))


if __name__ == "__main__":
    wh.main()
