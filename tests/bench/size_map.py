#!/usr/bin/env python3
"""The launcher's size by contributor, read from the linker's map: how many bytes of
the sections that are in the file each input brings (its discarded input sections
are not counted), grouped as ours, the C++ runtime, the unwinder, the compiler's
support library, the C runtime (the project's own), the import stubs and tables,
the resources, and what the linker adds (headers, alignment). Run by scripts/bench;
needs no Wine."""

import argparse
import os
import re
import subprocess
import sys

GROUPS = [
    ("ours", "the project's libraries (after link-time optimisation)"),
    ("c++ runtime", "libstdc++, libsupc++"),
    ("unwinder", "libgcc_eh"),
    ("compiler support", "libgcc"),
    ("c runtime", "the project's own (runtime/), crtbegin/crtend"),
    ("imports", "import stubs and tables of the system libraries"),
    ("resources", "the payload and the version resource"),
    ("linker", "headers, alignment, fill, relocations"),
]
# Other programs' C runtime, should one be measured.
C_RUNTIME = {"crt2.o", "crtbegin.o", "crtend.o", "libmingw32.a", "libmingwex.a", "libmoldname.a",
             "libmsvcrt.a", "libmsvcrt-os.a"}


def file_sections(objdump, exe):
    """The sections of the executable that have bytes in the file (names cut at 8
    characters, as the image holds them)."""
    text = subprocess.run([objdump, "-h", exe], check=True, capture_output=True, text=True).stdout
    names, lines = set(), text.splitlines()
    for i, line in enumerate(lines):
        m = re.match(r"^\s*\d+\s+(\S+)\s+[0-9a-f]+", line)
        if m and i + 1 < len(lines) and "CONTENTS" in lines[i + 1]:
            names.add(m.group(1))
    return names


def classify(source):
    """The group of an input file as the map names it: path, or path(member)."""
    if not re.search(r"\.(o|obj|a|res)(\(|$)", source):
        return "linker"  # made by the linker script: relocations, import terminators
    m = re.match(r"^(.*?)(?:\((.*)\))?$", source)
    path = m.group(1)
    base = os.path.basename(path)
    if base.endswith(".res"):
        return "resources"
    # The runtime's objects: its C part, and the string members it instantiates for
    # the C++ library.
    if "/tarnbolt_runtime_strings.dir/" in path:
        return "c++ runtime"
    if "/tarnbolt_runtime.dir/" in path:
        return "c runtime"
    if ".ltrans" in base or not path.startswith("/"):
        return "ours"  # LTO's output, or a file of the build tree
    if base in ("libstdc++.a", "libsupc++.a"):
        return "c++ runtime"
    if base == "libgcc_eh.a":
        return "unwinder"
    if base == "libgcc.a":
        return "compiler support"
    if base in C_RUNTIME:
        return "c runtime"
    if base.startswith("lib") and base.endswith(".a"):
        return "imports"
    return "c runtime"


def contributions(map_path, kept):
    """{source: bytes} over the input sections placed in the kept output sections."""
    with open(map_path, encoding="latin-1") as f:
        lines = f.read().splitlines()
    start = next(i for i, line in enumerate(lines) if line.startswith("Linker script and memory map"))
    sizes = {}
    section = None   # the output section being read, or None when it is not kept
    pending = None   # an input section name whose address and size are on the next line
    for line in lines[start + 1:]:
        m = re.match(r"^(\.\S+|\S+)\s+0x[0-9a-f]+\s+0x[0-9a-f]+", line)
        if m and not line.startswith(" "):
            section = m.group(1) if m.group(1)[:8] in kept else None
            continue
        if re.match(r"^\.\S+\s*$", line):  # an output section name alone on its line
            section = line.strip() if line.strip()[:8] in kept else None
            continue
        if section is None:
            continue
        m = re.match(r"^ (\S+)\s*$", line)
        if m:
            pending = m.group(1)
            continue
        m = re.match(r"^ (\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(.+)$", line)
        if m and (m.group(1) or pending):
            name = m.group(1) or pending
            pending = None
            size = int(m.group(3), 16)
            source = "*fill*" if name == "*fill*" else m.group(4).strip()
            if size:
                sizes[source] = sizes.get(source, 0) + size
            continue
        m = re.match(r"^ \*fill\*\s+0x[0-9a-f]+\s+0x([0-9a-f]+)", line)
        if m:
            sizes["*fill*"] = sizes.get("*fill*", 0) + int(m.group(1), 16)
        pending = None
    return sizes


def short_name(source):
    """An input as the table shows it: without folders, LTO's temporary file named."""
    source = re.sub(r"^.*/", "", source)
    return re.sub(r"^\w+\.ltrans(\d+)\.ltrans\.o$", r"LTO partition \1", source)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--map", required=True)
    parser.add_argument("--top", type=int, default=3, help="largest inputs shown per group")
    parser.add_argument("exe")
    args = parser.parse_args()

    total = os.path.getsize(args.exe)
    sizes = contributions(args.map, file_sections(args.objdump, args.exe))
    groups = {name: {} for name, _ in GROUPS}
    for source, size in sizes.items():
        group = classify(source)
        groups[group][source] = size
    counted = sum(sizes.values())
    groups["linker"]["headers and file alignment"] = total - counted

    print("Size of %s by contributor (%d bytes; from %s)" % (args.exe, total, args.map))
    print("| contributor | bytes | share | largest inputs |")
    print("|---|---:|---:|---|")
    for name, what in GROUPS:
        members = groups[name]
        size = sum(members.values())
        largest = sorted(members.items(), key=lambda kv: -kv[1])[:args.top]
        shown = ", ".join("%s %d" % (short_name(source), n) for source, n in largest)
        print("| %s (%s) | %d | %.1f %% | %s |" % (name, what, size, 100.0 * size / total, shown))
    return 0


if __name__ == "__main__":
    sys.exit(main())
