#!/usr/bin/env python3
"""Packs the win64 build with scripts/package into a temporary folder and
checks the zip a user gets: its three files, Windows line ends, a stripped
program that needs no MinGW DLLs, and the same resources as the build."""
import argparse
import os
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
ARGS = None


def pe_header(data):
    """(machine, symbol table offset, symbol count) of a PE image."""
    offset = struct.unpack_from("<I", data, 0x3C)[0]
    if data[offset:offset + 4] != b"PE\0\0":
        raise ValueError("not a PE image")
    machine, _, _, symbols_at, symbols = struct.unpack_from("<HHIII", data, offset + 4)
    return machine, symbols_at, symbols


def icon_images(data):
    """The images of a PE image's icons, sorted."""
    import pefile
    pe = pefile.PE(data=data, fast_load=True)
    pe.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    found = []
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if kind.id == pefile.RESOURCE_TYPE["RT_ICON"]:
            for name in kind.directory.entries:
                for language in name.directory.entries:
                    found.append(pe.get_data(language.data.struct.OffsetToData, language.data.struct.Size))
    return sorted(found)


def ico_images(data):
    """The images of an .ico file, sorted."""
    count = struct.unpack_from("<H", data, 4)[0]
    places = [struct.unpack_from("<II", data, 6 + 16 * i + 8) for i in range(count)]
    return sorted(data[offset:offset + size] for size, offset in places)


def msi_table(package, table):
    """A Windows Installer package's table as msiinfo exports it: {first column: the other columns}."""
    text = subprocess.run(["msiinfo", "export", str(package), table], capture_output=True, text=True,
                          check=True).stdout
    rows = [line.rstrip("\r").split("\t") for line in text.splitlines()[3:]]
    return {row[0]: row[1:] for row in rows if row and row[0]}


def windows_path(path):
    return "Z:" + path


class ReleaseZip(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.out = tempfile.TemporaryDirectory(prefix="morvelux-package-")
        unsigned = {name: value for name, value in os.environ.items() if not name.startswith("MORVELUX_SIGN_")}
        cls.packing = subprocess.run(
            [os.path.join(ROOT, "scripts", "package"), "--no-build", "--out", cls.out.name, "win64"],
            env=unsigned, capture_output=True, text=True, timeout=90)
        cls.zip_path = os.path.join(cls.out.name, f"Morvelux-{ARGS.version}-win64.zip")

    @classmethod
    def tearDownClass(cls):
        cls.out.cleanup()

    def setUp(self):
        self.assertEqual(self.packing.returncode, 0, self.packing.stderr)

    def read(self, name):
        with zipfile.ZipFile(self.zip_path) as archive:
            return archive.read(name)

    def test_script_reports_the_zip_it_made(self):
        self.assertIn(self.zip_path, self.packing.stdout)
        self.assertIn(f"{os.path.getsize(self.zip_path)} bytes", self.packing.stdout)

    def test_script_says_when_it_made_unsigned_files(self):
        self.assertIn("UNSIGNED", self.packing.stdout)
        self.assertIn("MORVELUX_SIGN_CERT", self.packing.stdout, "and how to sign them")

    def test_zip_holds_the_program_and_two_texts_at_its_top(self):
        with zipfile.ZipFile(self.zip_path) as archive:
            self.assertIsNone(archive.testzip())
            self.assertEqual(sorted(archive.namelist()), ["INSTALL.txt", "LICENSE.txt", "Morvelux.scr"])

    def test_texts_have_windows_line_ends_and_no_placeholders(self):
        for name in ("INSTALL.txt", "LICENSE.txt"):
            text = self.read(name)
            self.assertTrue(text.isascii(), name)
            self.assertEqual(text.count(b"\n"), text.count(b"\r\n"), f"{name}: a bare line feed")
            self.assertTrue(text.endswith(b"\r\n"), name)
            self.assertNotIn(b"@", text, name)

    def test_install_text_names_this_build_and_where_it_goes(self):
        text = self.read("INSTALL.txt").decode()
        self.assertTrue(text.startswith(f"MORVELUX {ARGS.version} (64-bit)\r\n"), text[:60])
        for needed in ("Install", "C:\\Windows\\System32", "C:\\Windows\\SysWOW64", "/s", "/p", "/c", "/a",
                       "Esc", "Space"):
            self.assertIn(needed, text)

    def test_licence_is_mit_with_the_copyright_line(self):
        text = self.read("LICENSE.txt").decode()
        self.assertTrue(text.startswith("MIT License\r\n"))
        self.assertIn("Copyright (c) 2004-2026 Valdrenn\r\n", text)

    def test_program_is_stripped_64_bit_and_smaller_than_the_build(self):
        program = self.read("Morvelux.scr")
        machine, symbols_at, symbols = pe_header(program)
        self.assertEqual(machine, 0x8664)
        self.assertEqual((symbols_at, symbols), (0, 0), "symbol table left in")
        self.assertLess(len(program), os.path.getsize(ARGS.scr))

    def test_program_needs_only_windows_own_dlls(self):
        with tempfile.TemporaryDirectory() as folder:
            scr = os.path.join(folder, "Morvelux.scr")
            with open(scr, "wb") as f:
                f.write(self.read("Morvelux.scr"))
            dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", scr], capture_output=True, text=True,
                                  check=True).stdout
        dlls = [line.split(":", 1)[1].strip().lower() for line in dump.splitlines() if "DLL Name:" in line]
        self.assertIn("kernel32.dll", dlls)
        self.assertEqual([d for d in dlls if d.startswith("lib")], [])

    def test_stripping_kept_every_resource(self):
        with tempfile.TemporaryDirectory() as folder:
            scr = os.path.join(folder, "Morvelux.scr")
            with open(scr, "wb") as f:
                f.write(self.read("Morvelux.scr"))
            check = subprocess.run([os.path.join(ROOT, "scripts", "wine-exec"), ARGS.checker, windows_path(scr)],
                                   capture_output=True, text=True, timeout=60)
        self.assertEqual(check.returncode, 0, check.stdout[-3000:] + check.stderr[-2000:])


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--version", required=True)
    parser.add_argument("--scr", required=True, help="the built, unstripped Morvelux.scr")
    parser.add_argument("--checker", required=True, help="scr_resources_test.exe")
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
