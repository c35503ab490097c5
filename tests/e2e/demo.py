#!/usr/bin/env python3
"""Runs the built launcher once in a fresh Wine sandbox with a sample settings file
and a sample main application, and tells in plain words what happened."""

import argparse
import os
import shutil
import sys
import tempfile

from bench import Sandbox

VERSIONS = {"win95": "Windows 95", "win98": "Windows 98", "winme": "Windows Me",
            "nt40": "Windows NT 4.0", "win2k": "Windows 2000", "winxp": "Windows XP",
            "win7": "Windows 7"}


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--tools", required=True)
    parser.add_argument("--template", required=True)
    parser.add_argument("--windows", default="winxp", choices=sorted(VERSIONS))
    parser.add_argument("--preferred", default="6.1.8637.0",
                        help="PreferredVersion of the sample settings")
    parser.add_argument("--run", default="app.exe /demo", help="Run value of the sample settings")
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="tarnbolt-run-")
    s = Sandbox("sandbox", args.tools, args.template, work)
    try:
        s.place("tarnbolt.exe", "C:\\App\\setup.exe")
        s.place("probe.exe", "C:\\App\\app.exe")
        s.settings("C:\\App\\setup.ini", {
            "Administrator": {"AdminMessage": "You need administrator rights to run this setup.",
                              "AdminMessageTitle": "Sample Setup"},
            "General": {"Run": args.run, "Message": "The computer will now restart.",
                        "Caption": "Sample Setup", "PreferredVersion": args.preferred}})
        s.set_windows_version("setup.exe", args.windows)
        code, box, probes = s.run("C:\\App\\setup.exe")
        extracted = [n for n in ("msvcrt.dll", "msvcp60.dll", "msvcirt.dll")
                     if os.path.exists(os.path.join(s.temp_dir(), n))]
    finally:
        s.close()
        shutil.rmtree(work, ignore_errors=True)

    print()
    print("Tarnbolt run report")
    print("  Simulated Windows:  %s (Wine, 32-bit prefix)" % VERSIONS[args.windows])
    print("  Launcher:           C:\\App\\setup.exe, settings C:\\App\\setup.ini")
    print("  PreferredVersion:   %s (Wine's msvcrt.dll is 7.0.2600.2180)" % args.preferred)
    if box:
        print("  Shown:              a message box titled %r saying %r%s" %
              (box.get("title"), box.get("text"),
               " with a warning icon" if box.get("icon") == "1" else ""))
    else:
        print("  Shown:              nothing")
    if probes:
        print("  Road:               runtime recent enough: the main application was started")
        for p in probes:
            print("  Started:            %s" % p["command"])
            print("  Working directory:  %s" % p["directory"])
    elif extracted:
        print("  Road:               runtime too old: installation branch (extracted %s)" %
              ", ".join(extracted))
    else:
        print("  Road:               nothing was started")
    print("  Exit code:          %d" % code)
    return 0 if code == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
