#!/usr/bin/env python3
"""Makes a native copy of a library (Wine's msvcrt.dll) with another fixed version.

Usage: native_runtime.py <library> <output> <a.b.c.d>

Wine marks its own libraries in the DOS stub; a copy without the mark loads as a
native library (with WINEDLLOVERRIDES=msvcrt=n), and then a version query answers
the copy's own fixed version. The fixed version is patched in place."""

import struct
import sys

MARK = b"Wine builtin DLL"
KEY = "VS_VERSION_INFO\0".encode("utf-16-le")
SIGNATURE = struct.pack("<I", 0xFEEF04BD)


def main():
    source, output, version = sys.argv[1:4]
    parts = [int(p) for p in version.split(".")]
    high, low = (parts[0] << 16) | parts[1], (parts[2] << 16) | parts[3]
    data = bytearray(open(source, "rb").read())
    if data[0x40:0x40 + len(MARK)] == MARK:
        data[0x40:0x40 + len(MARK)] = bytes(len(MARK))
    key = data.find(KEY)
    if key < 6:
        sys.exit("no version resource in " + source)
    fixed = (key - 6 + 6 + len(KEY) + 3) & ~3
    if data[fixed:fixed + 4] != SIGNATURE:
        sys.exit("unexpected version resource layout in " + source)
    # File version, then product version.
    struct.pack_into("<IIII", data, fixed + 8, high, low, high, low)
    with open(output, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
