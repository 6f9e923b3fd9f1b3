#!/usr/bin/env python3
"""The import checker's rules, on small made-up facts; and the shipped fact
files, which must read cleanly and cite only known sources."""
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import importcheck as ic  # noqa: E402

SOURCES = {"S1": "a source", "S2": "another"}
FACTS = """
kernel32.dll *              yes  S1
kernel32.dll CloseHandle    yes  S1,S2
kernel32.dll LoadLibraryW   stub S1  -- the W form
kernel32.dll CreateMutexW   stub S1
kernel32.dll GetTickCount64 no   S2  -- Vista
kernel32.dll Mystery        uncertain S1
imm32.dll    *              uncertain S2
"""
ACCEPTED = "kernel32.dll!LoadLibraryW -- never called\n"


def judge(imports):
    facts = ic.parse_facts(FACTS, "test", SOURCES)
    return {(f.dll, f.function): f for f in ic.judge(imports, facts, ic.parse_accepted(ACCEPTED))}


class Verdicts(unittest.TestCase):
    def test_only_working_exports_and_accepted_stubs_pass(self):
        found = judge({"KERNEL32.dll": ["CloseHandle", "LoadLibraryW", "CreateMutexW", "GetTickCount64", "Mystery"]})
        passed = {name for (_, name), f in found.items() if f.passed}
        self.assertEqual(passed, {"CloseHandle", "LoadLibraryW"})
        self.assertIn("accepted: never called", found[("KERNEL32.dll", "LoadLibraryW")].reason)
        self.assertIn("not exported", found[("KERNEL32.dll", "GetTickCount64")].reason)
        self.assertIn("stub", found[("KERNEL32.dll", "CreateMutexW")].reason)
        self.assertIn("uncertain", found[("KERNEL32.dll", "Mystery")].reason)

    def test_an_import_without_a_fact_fails(self):
        found = judge({"kernel32.dll": ["Sleep"], "user32.dll": ["GetDC"]})
        self.assertEqual(found[("kernel32.dll", "Sleep")].reason, "no fact recorded")
        self.assertFalse(found[("user32.dll", ic.DLL_ITSELF)].passed)
        self.assertNotIn(("user32.dll", "GetDC"), found, "functions of a missing DLL are not judged one by one")

    def test_a_dll_the_facts_doubt_fails_whatever_it_exports(self):
        found = judge({"IMM32.DLL": ["ImmAssociateContext"]})
        self.assertEqual([f.passed for f in found.values()], [False])

    def test_an_import_by_ordinal_cannot_pass(self):
        found = judge({"kernel32.dll": [None]})
        self.assertFalse(found[("kernel32.dll", "(by ordinal)")].passed)


class Reading(unittest.TestCase):
    def test_malformed_facts_are_refused(self):
        for text in ("kernel32.dll Sleep maybe S1", "kernel32.dll Sleep yes S9", "kernel32.dll Sleep yes",
                     "kernel32.dll Sleep yes S1\nKERNEL32.DLL Sleep no S2"):
            with self.subTest(text=text), self.assertRaises(ic.FactError):
                ic.parse_facts(text, "test", SOURCES)

    def test_an_accepted_stub_needs_its_reason(self):
        for text in ("kernel32.dll!LoadLibraryW", "LoadLibraryW -- why", "kernel32.dll!LoadLibraryW -- "):
            with self.subTest(text=text), self.assertRaises(ic.FactError):
                ic.parse_accepted(text)

    def test_sources_continue_on_indented_lines(self):
        sources = ic.parse_sources("# note\nA1: first line\n  second line\nB2: other\n")
        self.assertEqual(sources, {"A1": "first line second line", "B2": "other"})

    def test_unknown_windows_is_an_error_not_a_pass(self):
        self.assertEqual(ic.main(["--windows", "win31", __file__]), 2)


class ShippedFacts(unittest.TestCase):
    def test_every_fact_file_reads_and_accepts_only_what_is_a_stub_somewhere(self):
        stubs = set()
        for path in sorted(ic.HERE.glob("*.facts")):
            facts, accepted = ic.load(path.stem)
            stubs |= {key for key, fact in facts.entries.items() if fact.verdict == "stub"}
        self.assertEqual(set(accepted) - stubs, set(), "accepted, but a stub nowhere")


if __name__ == "__main__":
    unittest.main(verbosity=2)
