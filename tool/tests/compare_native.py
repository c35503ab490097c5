#!/usr/bin/env python3
"""The Linux build of tarnbolt-tool against the Windows build under Wine: the same
commands on the same files give the same report, messages, JSON, exit code and
stamped bytes. Exits 77 (skipped) when the Linux build is not there."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

p = argparse.ArgumentParser()
p.add_argument("--wine-run", required=True)
p.add_argument("--tool", required=True)
p.add_argument("--native", required=True)
p.add_argument("--launcher", required=True)
p.add_argument("--standins", required=True)
p.add_argument("--images", required=True)
p.add_argument("--arch", required=True)
a = p.parse_args()

if not os.path.isfile(a.native):
    print(f"no Linux build of the tool at {a.native}: build the host preset first")
    sys.exit(77)

work = tempfile.mkdtemp(prefix="tarnbolt-compare-")
failures = []


def put(name, data):
    path = os.path.join(work, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    return path


def read(path):
    with open(path, "rb") as f:
        return f.read()


def utf16(text):
    return b"\xff\xfe" + text.encode("utf-16-le")


def run(command, args):
    r = subprocess.run(command + args, cwd=work, capture_output=True, timeout=120)
    # Lines Wine writes itself are not the tool's (seen once under load: a page fault
    # in a thread of Wine's own while the tool ran to its end); the tool's exit code,
    # report and files are compared all the same.
    lines = r.stderr.replace(b"\r\n", b"\n").splitlines(keepends=True)
    for line in lines:
        if line.startswith(b"wine: "):
            print("(Wine said, not counted: %s)" % line.decode("utf-8", "replace").rstrip())
    err = b"".join(line for line in lines if not line.startswith(b"wine: "))
    return r.returncode, r.stdout.replace(b"\r\n", b"\n"), err


def compare(name, args, outputs=()):
    """Runs both tools; `outputs` are files each writes, compared byte for byte."""
    results = []
    for command in ([a.wine_run, a.tool], [a.native]):
        for out in outputs:
            if os.path.exists(os.path.join(work, out)):
                os.remove(os.path.join(work, out))
        code, out, err = run(command, args + ["--arch", a.arch] if args and args[0] in ("check", "stamp") else args)
        results.append((code, out, err, [read(os.path.join(work, o)) if os.path.exists(os.path.join(work, o)) else None
                                         for o in outputs]))
    (wc, wo, we, wf), (nc, no, ne, nf) = results
    for what, w, n in (("exit code", wc, nc), ("report", wo, no), ("messages", we, ne), ("written files", wf, nf)):
        if w != n:
            failures.append(f"{name}: the {what} differs\n  Windows: {w!r:.2000}\n  Linux:   {n!r:.2000}")
    summary = (wo.strip().splitlines() or [b""])[-1][:100].decode("utf-8", "replace")
    print(f"{name}: exit {wc}/{nc}: {summary}")


launcher = read(a.launcher)
standin = read(os.path.join(a.standins, "msvcrt.dll"))
library = read(os.path.join(a.images, "pe32plus" if a.arch == "x86-64" else "pe32"))
long_run = "bin\\" + "x" * 600 + ".exe"
settings = {
    "sound": b"[Administrator]\r\nAdminMessage=Log on as administrator.\r\nAdminMessageTitle=Setup\r\n"
             b"[General]\r\nRun=Bin\\APP.exe -q\r\nMessage=Restart now.\r\nCaption=Setup\r\n"
             b"PreferredVersion=6.1.8637.0\r\n",
    "quirks": b"; comment\n[general ]\nrun = \"my app.exe\" /q\nPreferredVersion=6.1.x\nMessage=Caf\xe9\n"
              b"[General]\nCaption=never read\n",
    "utf16": utf16("[General]\r\nRun='..\\..\\..\\..\\..\\..\\..\\..\\..\\a.exe'\r\nCaption=\u00e9\u3042\r\n"),
    "long": ("[General]\nRun=" + long_run + "\nCaption=" + "c" * 700 + "\n").encode(),
    "absolute": b"[General]\nRun=C:\\Windows\\app.exe\nPreferredVersion=99.0.0.0\n",
    "empty": b"",
}
for name, text in settings.items():
    put(f"{name}/setup.exe", launcher)
    put(f"{name}/{'SETUP.INI' if name == 'sound' else 'setup.ini'}", text)
put("sound/bin/app.exe", b"MZ")
put("quirks/my app.exe", b"MZ")
put("nosettings/setup.exe", launcher)
put("lib/msvcrt.dll", library)
put("lib/standin.dll", standin)
put("lib/odd.ini", b"[General]\nPreferredVersion=65535.0.0.0\n")
put("caf\u00e9/setup.exe", launcher)
put("caf\u00e9/setup.ini", settings["quirks"])

for name in list(settings) + ["nosettings"]:
    compare(f"check {name}", ["check", f"{name}/Setup.exe"])
compare("check --json", ["check", "quirks/setup.exe", "--json"])
compare("check --json, a folder name outside ASCII", ["check", "caf\u00e9/setup.exe", "--json"])
compare("check with settings and folder named", ["check", "sound/setup.exe", "quirks/setup.ini", "--dir", "sound"])
compare("check of a file that is no program", ["check", "sound/SETUP.INI"])
compare("check of a missing file", ["check", "missing/setup.exe"])
compare("stamp into a folder that is not there", ["stamp", "sound/setup.exe", "--msvcrt", "lib/msvcrt.dll",
                                                  "-o", "out/setup.exe"], outputs=["out/setup.exe"])
os.makedirs(os.path.join(work, "out"), exist_ok=True)
compare("stamp a runtime older than PreferredVersion", ["stamp", "sound/setup.exe", "--msvcrt", "lib/msvcrt.dll",
                                                        "-o", "out/setup.exe", "--settings", "sound/setup.ini"],
        outputs=["out/setup.exe"])
compare("stamp, then check", ["stamp", "sound/setup.exe", "--msvcrt", "lib/msvcrt.dll", "-o", "out/setup.exe",
                              "--json"], outputs=["out/setup.exe"])
compare("stamp refuses a stand-in and an older runtime",
        ["stamp", "sound/setup.exe", "--msvcrt", "lib/standin.dll", "--comctl32", "lib/msvcrt.dll",
         "-o", "out/x.exe", "--settings", "lib/odd.ini"], outputs=["out/x.exe"])
compare("stamp onto its own input", ["stamp", "sound/setup.exe", "--msvcrt", "lib/msvcrt.dll", "-o", "SOUND/SETUP.EXE"])
# A launcher with libraries that are no stand-ins: clean, then with warnings.
put("clean/setup.ini", settings["sound"].replace(b"6.1.8637.0", b"0.0.0.1"))
compare("stamp all four", ["stamp", "sound/setup.exe", "--msvcrt", "lib/msvcrt.dll", "--msvcp60", "lib/msvcrt.dll",
                           "--msvcirt", "lib/msvcrt.dll", "--comctl32", "lib/msvcrt.dll", "-o", "clean/setup.exe",
                           "--settings", "clean/setup.ini"],
        outputs=["clean/setup.exe"])
put("clean/setup.ini", settings["sound"].replace(b"6.1.8637.0", b"0.0.0.1"))
put("clean/bin/app.exe", b"MZ")
compare("check a clean package", ["check", "clean/setup.exe"])
put("clean/setup.ini", settings["sound"].replace(b"6.1.8637.0", b"0.0.0.1").replace(b" -q", b" /q"))
compare("check a package with a warning", ["check", "clean/setup.exe", "--json"])
# Signed launchers: the table at the end, then with bytes after it; stamp refuses both.
def signed(image, after=b""):
    image = bytearray(image)
    pe = int.from_bytes(image[0x3C:0x40], "little")
    optional = pe + 24
    directory = optional + (112 if image[optional:optional + 2] == b"\x0b\x02" else 96) + 4 * 8
    image[directory:directory + 8] = len(image).to_bytes(4, "little") + (16).to_bytes(4, "little")
    return bytes(image) + b"\x10\0\0\0\0\x02\x02\0" + b"c" * 8 + after


put("signed/setup.exe", signed(launcher))
put("signed/setup.ini", settings["sound"])
put("signed/appended.exe", signed(launcher, b"x" * 5))
compare("check a signed launcher", ["check", "signed/setup.exe", "--json"])
compare("check a signature that is not at the end", ["check", "signed/appended.exe", "signed/setup.ini"])
compare("stamp a signed launcher", ["stamp", "signed/setup.exe", "--msvcrt", "lib/msvcrt.dll", "-o", "out/s.exe"],
        outputs=["out/s.exe"])
# No input is written, however the output names it; a read-only output stays.
compare("stamp onto a library", ["stamp", "sound/setup.exe", "--msvcrt", "lib/msvcrt.dll", "-o", "LIB/MSVCRT.DLL"])
os.link(os.path.join(work, "lib/msvcrt.dll"), os.path.join(work, "lib/hard.dll"))
compare("stamp onto a hard link of a library", ["stamp", "sound/setup.exe", "--msvcrt", "lib/msvcrt.dll",
                                                "-o", "lib/hard.dll"])
compare("stamp onto the settings", ["stamp", "sound/setup.exe", "--msvcrt", "lib/msvcrt.dll",
                                    "--settings", "clean/setup.ini", "-o", "./clean/../clean/SETUP.ini"])
put("out/kept.exe", b"kept")
os.chmod(os.path.join(work, "out/kept.exe"), 0o444)
compare("stamp onto a read-only file", ["stamp", "sound/setup.exe", "--msvcrt", "lib/msvcrt.dll",
                                        "-o", "out/Kept.exe"])
put("out/side.exe.tbnew", b"mine")
compare("stamp beside someone's file", ["stamp", "sound/setup.exe", "--msvcrt", "lib/msvcrt.dll",
                                        "-o", "out/side.exe"], outputs=["out/side.exe"])
if read(os.path.join(work, "out/side.exe.tbnew")) != b"mine":
    failures.append("stamp beside someone's file: the file out/side.exe.tbnew was written")
# A byte-order mark; Run's bytes in code page 1252, a trailing dot and blank dropped.
put("bom/setup.exe", launcher)
put("bom/setup.ini", b"\xef\xbb\xbf" + settings["sound"])
put("bom/bin/app.exe", b"MZ")
compare("check settings with a UTF-8 byte-order mark", ["check", "bom/setup.exe"])
put("ansi/setup.exe", launcher)
put("ansi/Caf\u00e9 \u00c0.exe", b"MZ")
for name, run_value in (("1252", b"Caf\xe9 \xc0.exe"), ("trailing", b"\"Caf\xe9 \xc0.exe. .\" -q"),
                        ("utf-8", "Caf\u00e9 \u00c0.exe".encode())):
    put("ansi/setup.ini", b"[General]\r\nRun=" + run_value + b"\r\n")
    compare(f"check a Run in code page 1252 ({name})", ["check", "ansi/setup.exe", "--codepage", "1252"])
compare("an unknown code page", ["check", "ansi/setup.exe", "--codepage", "65001"])
compare("no command", [])
compare("an unknown option", ["check", "--frobnicate"])
compare("stamp without output", ["stamp", "sound/setup.exe", "--msvcrt", "lib/msvcrt.dll"])

shutil.rmtree(work, ignore_errors=True)
if failures:
    print("\n".join(failures))
    sys.exit(1)
print("the two builds agree")
