#!/usr/bin/env python3
"""The Windows Installer packages under Wine's msiexec, in the setup
program's prefix, each test from a machine with nothing of ours on it."""
import re
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))

import wine_harness as wh  # noqa: E402
from test_installer import INSTALLED, ROOT, SetupCase  # noqa: E402
from test_package import ico_images, msi_table  # noqa: E402

INSTALLED_X86 = r"C:\windows\syswow64\Morvelux.scr"
# A 32-bit package's entry is in the 32-bit registry.
UNINSTALL_KEYS = (r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall",
                  r"HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall")
INSTALL_FAILURE = 1603    # ERROR_INSTALL_FAILURE: a launch condition said no
PRODUCT_VERSION = 1638    # ERROR_PRODUCT_VERSION: the package's MORVELUX is installed
USERS_OWN = {"ScreenSaveTimeOut": "420", "ScreenSaverIsSecure": "1", "ScreenSaveActive": "1",
             "SCRNSAVE.EXE": r"C:\windows\system32\scrnsave.scr"}


def product_code(msi):
    return msi_table(msi, "Property")["ProductCode"][0]


class PackageCase(SetupCase):

    def setUp(self):
        super().setUp()
        self.addCleanup(self.remove_packages)

    def msiexec(self, *args):
        return self.run_from_batch("msiexec %s /qn" % " ".join(args), timeout=120)

    def install_package(self, msi=None, expect=0):
        self.assertEqual(self.msiexec("/i", wh.windows_path(msi or self.release["msi"])), expect, msi)

    def remove_packages(self):
        for code in set(self.package_entries()):
            self.msiexec("/x", code)

    def package_entries(self):
        """Our Apps & features entries made by Windows Installer, by product code."""
        found = {}
        for uninstall in UNINSTALL_KEYS:
            for key, values in (self.wine.reg_tree(uninstall) or {}).items():
                if key.startswith("{") and values.get("DisplayName", ("", ""))[1] == "MORVELUX":
                    found[key] = {name: data for name, (_, data) in values.items()}
        return found

    def desktop_values(self):
        return {name: self.desktop_value(name) for name in USERS_OWN}

    def assertPackageInstalled(self, msi, version, payload, installed=INSTALLED):
        self.assertEqual(self.unix_path(installed).read_bytes(), payload, "the installed program")
        self.assertEqual({code: entry["DisplayVersion"] for code, entry in self.package_entries().items()},
                         {product_code(msi): version}, "one entry, this package's")

    def installed_icon(self):
        """The images of the icon Apps & features shows for the product."""
        products = self.wine.reg_tree(r"HKLM\Software\Classes\Installer\Products") or {}
        icons = [values["ProductIcon"][1] for values in products.values()
                 if values.get("ProductName", ("", ""))[1] == "MORVELUX" and "ProductIcon" in values]
        self.assertEqual(len(icons), 1, products)
        return ico_images(self.unix_path(icons[0]).read_bytes())


class QuietPackage(PackageCase):

    def test_installs_and_removes_leaving_users_settings(self):
        self.set_desktop_values(USERS_OWN)
        self.install_package()
        self.assertPackageInstalled(self.release["msi"], self.release["version"], self.released_program())
        entry = self.package_entries()[product_code(self.release["msi"])]
        self.assertEqual((entry["Publisher"], entry["URLInfoAbout"], entry["NoModify"]),
                         ("Valdrenn", "www.valdrenn.example", "0x1"))
        self.assertEqual(self.installed_icon(), ico_images((ROOT / "app/morvelux.ico").read_bytes()))
        self.assertEqual(self.desktop_values(), USERS_OWN, "a user's settings changed")

        self.assertEqual(self.msiexec("/x", product_code(self.release["msi"])), 0)
        self.assertNothingOfOursLeft()
        self.assertEqual(self.package_entries(), {})
        self.assertEqual(self.desktop_values(), USERS_OWN, "a user's settings changed")

    def test_x86_lands_in_the_32_bit_system_folder(self):
        self.install_package(self.release["msi_x86"])
        self.assertPackageInstalled(self.release["msi_x86"], self.release["version"],
                                    self.released_program("zip_x86"), installed=INSTALLED_X86)
        self.assertFalse(self.unix_path(INSTALLED).exists(), "in the 64-bit system folder")
        self.assertEqual(self.msiexec("/x", product_code(self.release["msi_x86"])), 0)
        self.assertFalse(self.unix_path(INSTALLED_X86).exists())

    def test_newer_replaces_older_and_older_is_refused(self):
        newer = Path(self.release["newer_payload"]).read_bytes()
        self.install_package()
        self.install_package(self.release["newer_msi"])
        self.assertPackageInstalled(self.release["newer_msi"], self.release["newer_version"], newer)
        self.install_package(expect=INSTALL_FAILURE)
        self.assertPackageInstalled(self.release["newer_msi"], self.release["newer_version"], newer)


class PackageBesideSetup(PackageCase):
    """One owner of Morvelux.scr: whichever comes second refuses and changes nothing."""

    def test_package_refuses_the_setup_programs_install(self):
        self.install()
        before = self.uninstall_values(), self.desktop_values()
        self.install_package(expect=INSTALL_FAILURE)
        self.assertInstalled(self.release["version"], self.released_program())
        self.assertEqual((self.uninstall_values(), self.desktop_values()), before)
        self.assertEqual(self.package_entries(), {})

    def test_setup_program_refuses_the_packages_install(self):
        self.install_package()
        setup = self.wine.start(self.release["setup"])
        box = self.wine.wait_dialog(self.setup_title(), setup)
        self.assertIsNotNone(box, "no message; exit code %s" % setup.poll())
        self.assertIn(product_code(self.release["msi"]), " ".join(str(child["text"]) for child in box.children))
        title = "^%s$" % re.escape(self.setup_title())
        self.wine.key("Return", window=self.wine.wait_window(name=title, pid=setup.pid))
        setup.wait(20)
        self.assertEqual(self.run_from_batch(wh.windows_path(self.release["setup"]) + " /S"), PRODUCT_VERSION)
        self.assertPackageInstalled(self.release["msi"], self.release["version"], self.released_program())
        self.assertIsNone(self.uninstall_values(), "the setup program registered itself")
        self.assertIsNone(self.desktop_value("SCRNSAVE.EXE"))


if __name__ == "__main__":
    wh.main()
