#!/usr/bin/env python3
"""Checks that shipped Windows programs load on Windows 95 and NT 4: PE32, no
compiler runtime DLL, and only imports on the allow-list kept beside this script.
For the launcher also: its static imports come only from the libraries it names
(--static-only), and the functions its code binds at run time (--runtime-bound, a
source file listing them) are on the allow-list as well."""

import argparse
import re
import subprocess
import sys


def read_allowlist(path):
    allowed = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            m = re.match(r"^(\S+\.dll)\s+(\S+)\s+--\s+(\S.*)$", line, re.IGNORECASE)
            if not m:
                sys.exit(f"{path}:{number}: expected '<dll> <function> -- <reason>'")
            allowed.setdefault(m.group(1).lower(), set()).add(m.group(2))
    return allowed


def read_imports(objdump, exe):
    """Answers (file format, subsystem, {dll: [functions]}) from objdump -p."""
    text = subprocess.run([objdump, "-p", exe], check=True, capture_output=True,
                          text=True).stdout
    fmt = re.search(r"file format (\S+)", text)
    subsystem = re.search(r"^Subsystem\s+\S+\s+\((.*)\)", text, re.MULTILINE)
    imports = {}
    current = None
    for line in text.splitlines():
        m = re.match(r"^\s*DLL Name: (\S+)", line)
        if m:
            current = imports.setdefault(m.group(1).lower(), [])
            continue
        if current is None:
            continue
        if not line.strip():
            current = None
            continue
        # "\t<vma>\t <hint>  <name>"; a line without a name is an import by ordinal.
        m = re.match(r"^\s+[0-9a-f]+\s+(\d+)\s+(\S+)\s*$", line)
        if m:
            current.append(m.group(2))
        elif re.match(r"^\s+[0-9a-f]+\s+\d+\s*$", line) or re.match(r"^\s+[0-9a-f]+\s+<none>", line):
            current.append("<ordinal>")
    return (fmt.group(1) if fmt else None, subsystem.group(1) if subsystem else None, imports)


def read_runtime_bound(path):
    """The (dll, function) pairs of a source file's run-time binding list: its
    lines of the form  X("library.dll", Function)."""
    with open(path, encoding="utf-8") as f:
        pairs = re.findall(r'\bX\("([^"]+\.dll)",\s*(\w+)\)', f.read(), re.IGNORECASE)
    if not pairs:
        sys.exit(f"{path}: no run-time binding list (X(\"library.dll\", Function) lines)")
    return [(dll.lower(), fn) for dll, fn in pairs]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--allowlist", required=True, action="append",
                        help="a list of allowed imports; given twice, both count")
    parser.add_argument("--format", default="pei-i386",
                        help="objdump's name of the expected image format")
    parser.add_argument("--gui", action="append", default=[], help="a program of the GUI subsystem")
    parser.add_argument("--static-only", default="",
                        help="comma-separated libraries the programs may import statically")
    parser.add_argument("--runtime-bound", action="append", default=[],
                        help="a source file whose X(\"dll\", Function) list is bound at run time")
    parser.add_argument("programs", nargs="*")
    args = parser.parse_args()
    static_only = {d.strip().lower() for d in args.static_only.split(",") if d.strip()}

    allowed = {}
    for path in args.allowlist:
        for dll, functions in read_allowlist(path).items():
            allowed.setdefault(dll, set()).update(functions)
    problems = []
    checked = 0
    for exe in args.gui + args.programs:
        fmt, subsystem, imports = read_imports(args.objdump, exe)
        checked += 1
        if fmt != args.format:
            problems.append(f"{exe}: not a {args.format} image ({fmt})")
        if exe in args.gui and subsystem != "Windows GUI":
            problems.append(f"{exe}: subsystem is {subsystem}, not Windows GUI")
        if not imports:
            problems.append(f"{exe}: no imports found (unreadable objdump output?)")
        for dll, functions in sorted(imports.items()):
            if static_only and dll not in static_only:
                problems.append(f"{exe}: imports from {dll}; it may import only from "
                                f"{', '.join(sorted(static_only))} (others are bound at run time)")
                continue
            if dll not in allowed:
                problems.append(f"{exe}: imports from {dll}, which is not allowed")
                continue
            for fn in functions:
                if fn not in allowed[dll]:
                    problems.append(f"{exe}: {dll} {fn} is not on the allow-list")
    for path in args.runtime_bound:
        for dll, fn in read_runtime_bound(path):
            if fn not in allowed.get(dll, set()):
                problems.append(f"{path}: {dll} {fn}, bound at run time, is not on the allow-list")
    for p in problems:
        print(p)
    print(f"import audit: {checked} programs, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
