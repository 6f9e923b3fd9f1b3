#!/usr/bin/env python3
"""Packs the win64 and win32 builds with scripts/package, signing with a
certificate made for this run, and checks what the release holds besides
the zips: a valid signature on both programs, both setup programs and both
packages, the setup programs built for their Windows with the project's
version, the packages' tables, the winget manifests against the schema's
rules, and SHA256SUMS."""
import argparse
import hashlib
import re
import subprocess
import sys
import tempfile
import unittest
import zipfile
from pathlib import Path

import yaml

from test_package import ico_images, icon_images, msi_table, pe_header
from throwaway_certificate import Certificate

ROOT = Path(__file__).resolve().parents[2]
ARGS = None
AMD64, I386 = 0x8664, 0x14C
SCHEMA_VERSION = "1.12.0"  # the newest the community repository accepts

# The 1.12.0 schema's required fields of each manifest, and the rules of
# the fields these manifests use.
REQUIRED = {
    "version": ["PackageIdentifier", "PackageVersion", "DefaultLocale", "ManifestType", "ManifestVersion"],
    "installer": ["PackageIdentifier", "PackageVersion", "Installers", "ManifestType", "ManifestVersion"],
    "defaultLocale": ["PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher", "PackageName", "License",
                      "ShortDescription", "ManifestType", "ManifestVersion"],
}
REQUIRED_PER_INSTALLER = ["Architecture", "InstallerUrl", "InstallerSha256"]
URL = r"^([Hh][Tt][Tt][Pp][Ss]?)://.+$"
PATTERNS = {
    "PackageIdentifier": r"^[^\.\s\\/:\*\?\"<>\|\x01-\x1f]{1,32}(\.[^\.\s\\/:\*\?\"<>\|\x01-\x1f]{1,32}){1,7}$",
    "PackageVersion": r"^[^\\/:\*\?\"<>\|\x01-\x1f]+$",
    "PackageLocale": r"^([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*$",
    "DefaultLocale": r"^([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*$",
    "ManifestVersion": r"^\d+\.\d+\.\d+$",
    "InstallerUrl": URL,
    "PublisherUrl": URL,
    "InstallerSha256": r"^[A-Fa-f0-9]{64}$",
}
LENGTHS = {"Publisher": (2, 256), "PackageName": (2, 256), "License": (3, 512), "ShortDescription": (3, 256),
           "Description": (3, 10000)}
ENUMS = {"Architecture": {"x86", "x64", "arm", "arm64", "neutral"}, "Scope": {"user", "machine"},
         "InstallerType": {"msix", "msi", "appx", "exe", "zip", "inno", "nullsoft", "wix", "burn", "pwa", "portable",
                           "font"},
         "UpgradeBehavior": {"install", "uninstallPrevious", "deny"},
         "ElevationRequirement": {"elevationRequired", "elevationProhibited", "elevatesSelf"}}


def sha256(path):
    return hashlib.sha256(Path(path).read_bytes()).hexdigest()


class Release(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory(prefix="morvelux-release-")
        cls.dist = Path(cls.folder.name) / "dist"
        cls.certificate = Certificate(Path(cls.folder.name) / "certificate")
        cls.packing = subprocess.run([str(ROOT / "scripts" / "package"), "--no-build", "--out", str(cls.dist),
                                      "win64", "win32"], env=cls.certificate.environment(),
                                     capture_output=True, text=True, timeout=120)

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def setUp(self):
        self.assertEqual(self.packing.returncode, 0, self.packing.stdout + self.packing.stderr)

    def setup(self, arch):
        return self.dist / f"Morvelux-{ARGS.version}-setup-{arch}.exe"

    def package(self, arch):
        return self.dist / f"Morvelux-{ARGS.version}-{arch}.msi"

    def programs(self):
        """Both setups and the program in each zip."""
        found = [self.setup("x64"), self.setup("x86")]
        for preset in ("win64", "win32"):
            program = Path(self.folder.name) / preset / "Morvelux.scr"
            program.parent.mkdir(exist_ok=True)
            with zipfile.ZipFile(self.dist / f"Morvelux-{ARGS.version}-{preset}.zip") as archive:
                program.write_bytes(archive.read("Morvelux.scr"))
            found.append(program)
        return found

    def manifests(self):
        return {path.name: yaml.safe_load(path.read_text(encoding="utf-8"))
                for path in (self.dist / "winget").glob("*.yaml")}

    # signing

    def test_every_program_is_signed_with_the_configured_certificate(self):
        self.assertIn("signed", self.packing.stdout)
        self.assertNotIn("UNSIGNED", self.packing.stdout)
        for program in self.programs() + [self.package("x64"), self.package("x86")]:
            code, output = self.certificate.verify(program)
            self.assertEqual(code, 0, f"{program}: {output[-2000:]}")
            self.assertIn("Subject: /CN=MORVELUX test signing", output)

    def test_a_changed_byte_breaks_the_signature(self):
        changed = Path(self.folder.name) / "changed-setup.exe"
        data = bytearray(self.setup("x64").read_bytes())
        data[len(data) // 3] ^= 0xFF
        changed.write_bytes(data)
        code, output = self.certificate.verify(changed)
        self.assertNotEqual(code, 0, output[-2000:])

    # the setup programs

    def test_setups_are_built_for_their_windows(self):
        for arch, machine in (("x64", AMD64), ("x86", I386)):
            self.assertEqual(pe_header(self.setup(arch).read_bytes())[0], machine, arch)

    def test_windows_files_carry_the_same_complete_version_data(self):
        files = ["Z:" + str(program) for program in self.programs()]
        check = subprocess.run([str(ROOT / "scripts" / "wine-exec"), ARGS.checker] + files,
                               capture_output=True, text=True, timeout=60)
        self.assertEqual(check.returncode, 0, check.stdout[-3000:] + check.stderr[-2000:])

    def test_setups_show_our_icon_and_stay_small(self):
        ours = ico_images((ROOT / "app" / "morvelux.ico").read_bytes())
        for arch in ("x64", "x86"):
            self.assertEqual(icon_images(self.setup(arch).read_bytes()), ours, arch)
            self.assertLess(self.setup(arch).stat().st_size, 500 * 1024, arch)

    # winget

    def test_winget_manifests_follow_the_schema(self):
        manifests = self.manifests()
        identifier = manifests["Valdrenn.Morvelux.yaml"]["PackageIdentifier"]
        self.assertEqual(sorted(manifests), sorted([f"{identifier}.yaml", f"{identifier}.installer.yaml",
                                                    f"{identifier}.locale.en-US.yaml"]))
        for name, manifest in manifests.items():
            with self.subTest(manifest=name):
                kind = manifest.get("ManifestType")
                self.assertIn(kind, REQUIRED)
                for field in REQUIRED[kind]:
                    self.assertIn(field, manifest)
                self.assertEqual(manifest["ManifestVersion"], SCHEMA_VERSION)
                self.assertEqual(manifest["PackageIdentifier"], identifier)
                self.assertEqual(manifest["PackageVersion"], ARGS.version)
                self.assert_fields(manifest)
        installers = manifests[f"{identifier}.installer.yaml"]["Installers"]
        for installer in installers:
            for field in REQUIRED_PER_INSTALLER:
                self.assertIn(field, installer)
            self.assert_fields(installer)

    def assert_fields(self, fields):
        for field, value in fields.items():
            if field in PATTERNS:
                self.assertIsInstance(value, str, field)
                self.assertRegex(value, PATTERNS[field], field)
            if field in LENGTHS:
                low, high = LENGTHS[field]
                self.assertTrue(low <= len(value) <= high, f"{field} is {len(value)} characters")
            if field in ENUMS:
                self.assertIn(value, ENUMS[field], field)

    def test_winget_installs_each_setup_and_package_silently_where_it_runs(self):
        installer = self.manifests()["Valdrenn.Morvelux.installer.yaml"]
        entries = {(entry["InstallerType"], entry["Architecture"]): entry for entry in installer["Installers"]}
        files = {(kind, arch): find(arch) for arch in ("x64", "x86")
                 for kind, find in (("nullsoft", self.setup), ("wix", self.package))}
        self.assertEqual(sorted(entries), sorted(files))
        for key, entry in entries.items():
            self.assertTrue(entry["InstallerUrl"].endswith("/" + files[key].name), entry["InstallerUrl"])
            self.assertEqual(entry["InstallerSha256"].lower(), sha256(files[key]))
        for arch in ("x64", "x86"):
            self.assertEqual(entries["nullsoft", arch]["InstallerSwitches"]["Silent"], "/S")
            codes = {name: row[0] for name, row in msi_table(self.package(arch), "Property").items()}
            self.assertEqual(entries["wix", arch]["ProductCode"], codes["ProductCode"])
            self.assertEqual(entries["wix", arch]["AppsAndFeaturesEntries"], [{"UpgradeCode": codes["UpgradeCode"]}])
        self.assertIn("x64", entries["nullsoft", "x86"].get("UnsupportedOSArchitectures", []),
                      "the x86 setup refuses 64-bit Windows, so winget must not pick it there")

    def test_packages_hold_the_released_program_and_nothing_else(self):
        codes = set()
        for arch, preset, folder, bits, template in (("x64", "win64", "System64Folder", "256", "x64;1033"),
                                                     ("x86", "win32", "SystemFolder", "0", "Intel;1033")):
            with self.subTest(arch=arch):
                package = self.package(arch)
                properties = {name: row[0] for name, row in msi_table(package, "Property").items()}
                expected = {"ProductName": "MORVELUX", "Manufacturer": "Valdrenn", "ProductVersion": ARGS.version,
                            "ALLUSERS": "1", "ARPNOMODIFY": "1", "ARPURLINFOABOUT": "www.valdrenn.example"}
                self.assertEqual({name: properties.get(name) for name in expected}, expected)
                codes |= {properties["ProductCode"], properties["UpgradeCode"]}
                with zipfile.ZipFile(self.dist / f"Morvelux-{ARGS.version}-{preset}.zip") as archive:
                    size = archive.getinfo("Morvelux.scr").file_size
                component, name, file_size, version = msi_table(package, "File")["Morvelux.scr"][:4]
                self.assertEqual((name, int(file_size), version.split(".")[:3]),
                                 ("Morvelux.scr", size, ARGS.version.split(".")))
                self.assertEqual(msi_table(package, "Component")[component][1:3], [folder, bits])
                self.assertEqual(msi_table(package, "Registry"), {}, "it writes no one's settings")
                self.assertEqual(len(msi_table(package, "LaunchCondition")), 2, "downgrade, setup program")
                summary = subprocess.run(["msiinfo", "suminfo", str(package)], capture_output=True, text=True).stdout
                self.assertIn("Template: %s\n" % template, summary)
                self.assertIn("Author: Valdrenn\n", summary)
        self.assertEqual(len(codes), 4, codes)

    # checksums

    def test_checksums_cover_every_file_of_the_release(self):
        listed = {}
        for line in (self.dist / "SHA256SUMS").read_text().splitlines():
            match = re.fullmatch(r"([0-9a-f]{64})  (\S+)", line)
            self.assertIsNotNone(match, line)
            listed[match.group(2)] = match.group(1)
        files = {str(p.relative_to(self.dist)) for p in self.dist.rglob("*") if p.is_file()} - {"SHA256SUMS"}
        self.assertEqual(set(listed), files)
        for name, digest in listed.items():
            self.assertEqual(sha256(self.dist / name), digest, name)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--version", required=True)
    parser.add_argument("--checker", required=True, help="setup_resources_test.exe")
    ARGS, rest = parser.parse_known_args()
    missing = [p for p in ("win64", "win32") if not (ROOT / "build" / p / "app" / "Morvelux.scr").is_file()]
    if missing:
        sys.exit("the release needs both builds: run ./scripts/build %s" % " ".join(missing))
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
