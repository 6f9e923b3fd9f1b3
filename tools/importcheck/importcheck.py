#!/usr/bin/env python3
"""Checks that a Windows program imports only what the oldest Windows it is
meant for exports, and that each import works there.

    importcheck.py --windows NAME PROGRAM...
    importcheck.py --list PROGRAM...

Reads the import table of each PROGRAM (Debian's python3-pefile) and looks
every DLL and function up in NAME.facts beside this script. An import fails
when that Windows does not have the DLL or the function (`no`), has the
function only as a stub that fails (`stub`, unless stubs.accepted says why
the program never depends on it), when the sources leave it open
(`uncertain`), or when no fact is recorded for it at all. Exit code 0 when
every import passes, 1 when one fails, 2 when a file cannot be read.
"""
import argparse
import re
import sys
from dataclasses import dataclass, field
from pathlib import Path

HERE = Path(__file__).resolve().parent
VERDICTS = ("yes", "stub", "no", "uncertain")
DLL_ITSELF = "*"


class FactError(Exception):
    pass


@dataclass(frozen=True)
class Fact:
    verdict: str
    sources: tuple
    note: str = ""


@dataclass
class Facts:
    windows: str
    entries: dict = field(default_factory=dict)  # (dll, function) -> Fact; function DLL_ITSELF for the DLL

    def lookup(self, dll, function):
        return self.entries.get((dll.lower(), function))


def parse_facts(text, windows, known_sources):
    """Parses `dll function verdict sources [-- note]` lines; # starts a comment."""
    facts = Facts(windows)
    for number, raw in enumerate(text.splitlines(), 1):
        line = raw.split("#", 1)[0].strip()
        if not line:
            continue
        body, _, note = line.partition(" -- ")
        words = body.split()
        if len(words) != 4:
            raise FactError("%s line %d: want `dll function verdict sources [-- note]`" % (windows, number))
        dll, function, verdict, sources = words
        if verdict not in VERDICTS:
            raise FactError("%s line %d: verdict %r is none of %s" % (windows, number, verdict, ", ".join(VERDICTS)))
        ids = tuple(sources.split(","))
        unknown = [s for s in ids if s not in known_sources]
        if unknown:
            raise FactError("%s line %d: unknown source %s" % (windows, number, ", ".join(unknown)))
        key = (dll.lower(), function)
        if key in facts.entries:
            raise FactError("%s line %d: %s!%s stated twice" % (windows, number, dll, function))
        facts.entries[key] = Fact(verdict, ids, note.strip())
    return facts


def parse_sources(text):
    """`ID: citation` lines, continued by indented lines."""
    sources = {}
    current = None
    for raw in text.splitlines():
        if not raw.strip() or raw.lstrip().startswith("#"):
            continue
        match = re.match(r"^([A-Za-z0-9-]+):\s*(.*)$", raw)
        if match and not raw[0].isspace():
            current = match.group(1)
            sources[current] = match.group(2)
        elif current and raw[0].isspace():
            sources[current] += " " + raw.strip()
        else:
            raise FactError("sources: cannot read %r" % raw)
    return sources


def parse_accepted(text):
    """`dll!function -- why` lines: stubs the program may import."""
    accepted = {}
    for raw in text.splitlines():
        line = raw.split("#", 1)[0].strip()
        if not line:
            continue
        name, _, why = line.partition(" -- ")
        dll, _, function = name.strip().partition("!")
        if not function or not why.strip():
            raise FactError("stubs.accepted: want `dll!function -- why`, got %r" % raw)
        accepted[(dll.lower(), function)] = why.strip()
    return accepted


@dataclass(frozen=True)
class Finding:
    dll: str
    function: str
    passed: bool
    reason: str


def judge(imports, facts, accepted):
    """imports: {dll: [function or None for an ordinal]}. One Finding per DLL and per function."""
    findings = []
    for dll, functions in imports.items():
        dll_fact = facts.lookup(dll, DLL_ITSELF)
        if dll_fact is None or dll_fact.verdict != "yes":
            why = "no fact recorded" if dll_fact is None else _describe(dll_fact)
            findings.append(Finding(dll, DLL_ITSELF, False, "the DLL: " + why))
            continue
        for function in functions:
            findings.append(_judge_function(dll, function, facts, accepted))
    return findings


def _judge_function(dll, function, facts, accepted):
    if function is None:
        return Finding(dll, "(by ordinal)", False, "imported by ordinal: no fact can name it")
    fact = facts.lookup(dll, function)
    if fact is None:
        return Finding(dll, function, False, "no fact recorded")
    if fact.verdict == "yes":
        return Finding(dll, function, True, "")
    if fact.verdict == "stub" and (dll.lower(), function) in accepted:
        return Finding(dll, function, True, "stub, accepted: " + accepted[(dll.lower(), function)])
    return Finding(dll, function, False, _describe(fact))


def _describe(fact):
    text = {"stub": "a stub that fails there", "no": "not exported there",
            "uncertain": "uncertain"}.get(fact.verdict, fact.verdict)
    text += " (%s)" % ",".join(fact.sources)
    return text + (": " + fact.note if fact.note else "")


def read_imports(path):
    try:
        import pefile  # Debian's python3-pefile
    except ImportError as error:
        raise FactError("python3-pefile is missing: run scripts/deps") from error
    try:
        pe = pefile.PE(str(path), fast_load=True)
    except pefile.PEFormatError as error:
        raise FactError("%s: not a Windows program (%s)" % (path, error)) from error
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"],
                                           pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT"]])
    imports = {}
    for entries in (getattr(pe, "DIRECTORY_ENTRY_IMPORT", []), getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", [])):
        for entry in entries:
            dll = entry.dll.decode("ascii")
            names = imports.setdefault(dll, [])
            names.extend(i.name.decode("ascii") if i.name else None for i in entry.imports)
    return imports


def load(windows):
    sources = parse_sources((HERE / "sources.txt").read_text())
    facts_path = HERE / (windows + ".facts")
    if not facts_path.exists():
        raise FactError("no facts for %r (%s)" % (windows, facts_path))
    facts = parse_facts(facts_path.read_text(), windows, sources)
    accepted = parse_accepted((HERE / "stubs.accepted").read_text())
    return facts, accepted


def report(program, findings, out):
    failed = [f for f in findings if not f.passed]
    notes = [f for f in findings if f.passed and f.reason]
    count = sum(1 for f in findings if f.function != DLL_ITSELF)
    for f in failed:
        out.write("FAIL %s %s!%s: %s\n" % (program, f.dll, f.function, f.reason))
    for f in notes:
        out.write("note %s %s!%s: %s\n" % (program, f.dll, f.function, f.reason))
    out.write("%s: %d imports, %d failed\n" % (program, count, len(failed)))
    return not failed


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--windows", help="the oldest Windows: the name of a .facts file here")
    parser.add_argument("--list", action="store_true", help="only print the import tables")
    parser.add_argument("programs", nargs="+")
    args = parser.parse_args(argv)
    if not args.list and not args.windows:
        parser.error("give --windows NAME or --list")
    try:
        facts, accepted = (None, None) if args.list else load(args.windows)
        ok = True
        for program in args.programs:
            imports = read_imports(program)
            if args.list:
                for dll, functions in imports.items():
                    print("%s: %s" % (dll, " ".join(f or "(ordinal)" for f in functions)))
                continue
            print("%s against %s" % (program, args.windows))
            ok = report(program, judge(imports, facts, accepted), sys.stdout) and ok
    except (OSError, FactError) as error:
        print("importcheck: %s" % error, file=sys.stderr)
        return 2
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
