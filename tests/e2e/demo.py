#!/usr/bin/env python3
"""Runs the built launcher in fresh Wine sandboxes with a sample settings file and a
sample main application, and tells in plain words what happened: the launch road
on a machine whose runtime is recent enough, then the installation road across a
restart on a simulated Windows 98 and a simulated Windows 2000 machine."""

import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

from bench import Sandbox
import scenarios

VERSIONS = {"win95": "Windows 95", "win98": "Windows 98", "winme": "Windows Me",
            "nt40": "Windows NT 4.0", "win2k": "Windows 2000", "winxp": "Windows XP",
            "win7": "Windows 7"}
SETTINGS = {
    "Administrator": {"AdminMessage": "You need administrator rights to run this setup.",
                      "AdminMessageTitle": "Sample Setup"},
    "General": {"Run": "app.exe /demo", "Message": "Setup has updated system files and must "
                "restart Windows now.", "Caption": "Sample Setup",
                "PreferredVersion": "6.1.8637.0"}}


def bmp_to_png(bmp_path, png_path):
    """A 24-bit bottom-up BMP as a PNG file; False when there is no picture."""
    if not os.path.exists(bmp_path):
        return False
    data = open(bmp_path, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height = struct.unpack_from("<ii", data, 18)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = data[offset + y * stride: offset + y * stride + width * 3]
        rgb = bytearray(len(row))
        rgb[0::3], rgb[1::3], rgb[2::3] = row[2::3], row[1::3], row[0::3]
        rows.append(b"\0" + bytes(rgb))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    with open(png_path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))
    return True


def describe_box(box, picture):
    if not box:
        return "nothing"
    text = "a message box titled %r saying %r, %s" % (
        box.get("title"), box.get("text"), "with a warning icon" if box.get("icon") == "1" else "without an icon")
    return text + (" (picture: %s)" % picture if picture else "")


def launch_road(args, work):
    s = Sandbox("launch", args.tools, args.template, work)
    try:
        s.place("tarnbolt.exe", "C:\\App\\setup.exe")
        s.place("probe.exe", "C:\\App\\app.exe")
        s.settings("C:\\App\\setup.ini", SETTINGS)
        s.set_windows_version("setup.exe", "winxp")
        code, box, probes = s.run("C:\\App\\setup.exe")
    finally:
        s.close()
    print("\n1. Launch road on a simulated Windows XP")
    print("   Installed msvcrt.dll: 7.0.2600.2180 (Wine's), PreferredVersion 6.1.8637.0: recent enough.")
    print("   Shown: %s" % describe_box(box, None))
    for p in probes:
        print("   Started: %s (working directory %s)" % (p["command"], p["directory"]))
    if not probes:
        print("   Nothing was started.")
    print("   Exit code: %d" % code)


def installation_road(args, work, version, number):
    s = Sandbox("install-" + version, args.tools, args.template, work,
                os.path.join(args.native, "old", "msvcrt.dll"), desktop=bool(args.pictures))
    bmp = "C:\\restart-box.bmp"
    picture = os.path.join(args.pictures, "restart-box-%s.png" % version) if args.pictures else None
    try:
        s.place("tarnbolt_native_payload.exe", "C:\\App\\setup.exe")
        s.place("probe.exe", "C:\\App\\app.exe")
        s.settings("C:\\App\\setup.ini", SETTINGS)
        s.set_windows_version("setup.exe", version)
        s.native_runtime_for("setup.exe")
        # A program with an unsaved document refuses the restart request, so what
        # was queued can be shown before the boot.
        held = scenarios.HeldSession(s)
        code, box, probes = s.run("C:\\App\\setup.exe", picture=bmp if picture else None,
                                  settle=False)
        held.wait_refused(1)
        if picture and not bmp_to_png(s.unix(bmp), picture):
            picture = None
        if version in scenarios.NINE_X:
            deferred = ["WININIT.INI [rename]: " + line for line in scenarios.rename_lines(s)]
        else:
            deferred = ["delayed move: %s -> %s" % move for move in scenarios.live_delayed_moves(s)]
        held.release()
        subprocess.run(["wineserver", "-w"], env=s.env, timeout=120)  # registry saved
        registered = scenarios.registration(s, version)
        s.wine("wineboot", "-r")
        subprocess.run(["wineserver", "-w"], env=s.env, timeout=120)
        payload = open(os.path.join(args.native, "payload", "msvcrt.dll"), "rb").read()
        replaced = s.read("C:\\windows\\system32\\msvcrt.dll") == payload
        code2, box2, probes2 = s.run("C:\\App\\setup.exe")
        registered_after = scenarios.registration(s, version)
    finally:
        s.close()
    print("\n%d. Installation road on a simulated %s" % (number, VERSIONS[version]))
    print("   Installed msvcrt.dll: 6.0.0.0, PreferredVersion 6.1.8637.0: too old.")
    print("   msvcrt.dll is in use, so the libraries were copied into the system folder")
    print("   and deferred to the next start:")
    for line in deferred:
        print("     " + line)
    print("   Shown: %s" % describe_box(box, picture))
    print("   Registered to run again after the restart: %s" % (registered or "nowhere"))
    print("   Started before the restart: %s" % ("nothing" if not probes else probes[0]["command"]))
    print("   The restart was asked for without force; a program with an unsaved document")
    print("   refused it, and the replacements stayed queued.")
    print("   Exit code: %d; once that program had closed, the machine was restarted" % code)
    print("   (Wine's wineboot -r).")
    print("   After the restart msvcrt.dll %s the payload's 6.1.8637.0." %
          ("is" if replaced else "is NOT"))
    print("   The launcher ran again: shown %s; started %s; registration %s; exit code %d." % (
        describe_box(box2, None), probes2[0]["command"] if probes2 else "nothing",
        "removed" if registered and not registered_after else ("still there" if registered_after else "none"),
        code2))
    return code == 0 and code2 == 0 and replaced and bool(probes2)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--tools", required=True)
    parser.add_argument("--template", required=True)
    parser.add_argument("--native", required=True)
    parser.add_argument("--pictures", help="folder for PNG pictures of the boxes")
    parser.add_argument("--x64", metavar="WHY", help="the tools are the x86-64 vehicle's, for this reason")
    parser.add_argument("--emulated", metavar="HOW", help="how 32-bit programs run here (through an emulator)")
    args = parser.parse_args()
    if args.pictures:
        os.makedirs(args.pictures, exist_ok=True)
    work = tempfile.mkdtemp(prefix="tarnbolt-run-")
    try:
        if args.x64:
            print("Tarnbolt run report. %s, so this is the" % args.x64)
            print("x86-64 build of the same sources (the test vehicle) in 64-bit Wine sandboxes;")
            print("the product is the 32-bit launcher, built beside it in build/windows/bin.")
            print("Each road runs in a fresh sandbox; the launcher is")
        elif args.emulated:
            print("Tarnbolt run report. This machine's kernel runs no 32-bit code, so every 32-bit")
            print("program runs %s." % args.emulated)
            print("Each road runs in a fresh 32-bit Wine sandbox; the launcher is")
        else:
            print("Tarnbolt run report (each road in a fresh 32-bit Wine sandbox; the launcher is")
        print("C:\\App\\setup.exe with C:\\App\\setup.ini, the main application C:\\App\\app.exe)")
        launch_road(args, work)
        ok = installation_road(args, work, "win98", 2)
        ok = installation_road(args, work, "win2k", 3) and ok
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
