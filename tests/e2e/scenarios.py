#!/usr/bin/env python3
"""Launcher scenarios under Wine. Usage: scenarios.py --tools DIR --template DIR
--work DIR --payload DIR NAME; NAME 'list' prints the scenario names."""

import argparse
import filecmp
import os
import sys

from bench import Failure, Sandbox

SCENARIOS = {}


def scenario(fn):
    SCENARIOS[fn.__name__] = fn
    return fn


def launch_settings(run, preferred=""):
    return {"General": {"Run": run, "PreferredVersion": preferred}}


def expect_quiet_launch(s, result, command, module):
    code, box, probes = result
    s.equal(code, 0, "exit code")
    s.equal(box, None, "message box")
    s.equal(len(probes), 1, "main application starts")
    s.equal(probes[0]["command"], command, "command line")
    s.equal(probes[0]["module"].lower(), module.lower(), "program started")
    s.equal(probes[0]["directory"], "C:\\Work", "working directory is the launcher's")


@scenario
def settings_path(s, a):
    # The settings file takes the name up to the first dot of the file name.
    s.place("tarnbolt.exe", "C:\\App\\setup.new.exe")
    s.place("probe.exe", "C:\\App\\app.exe")
    s.settings("C:\\App\\setup.ini", launch_settings("app.exe"))
    s.settings("C:\\App\\setup.new.ini", launch_settings("wrong.exe"))
    expect_quiet_launch(s, s.run("C:\\App\\setup.new.exe"), "C:\\App\\app.exe",
                        "C:\\App\\app.exe")


@scenario
def no_settings_file(s, a):
    # Preferred version 0.0.0.0 and an empty Run: the launch of "C:\App\" fails quietly.
    s.place("tarnbolt.exe", "C:\\App\\setup.exe")
    s.place("probe.exe", "C:\\App\\app.exe")
    code, box, probes = s.run("C:\\App\\setup.exe")
    s.equal(code, 0, "exit code")
    s.equal(box, None, "message box")
    s.equal(probes, [], "started programs")
    s.check(not os.path.exists(os.path.join(s.temp_dir(), "msvcrt.dll")),
            "no installation without a preferred version")


@scenario
def run_values(s, a):
    s.place("tarnbolt.exe", "C:\\App\\setup.exe")
    s.place("probe.exe", "C:\\App\\app.exe")
    s.place("probe.exe", "C:\\App\\bin\\app.exe")
    cases = [("app.exe", "C:\\App\\app.exe", "C:\\App\\app.exe"),
             ("bin\\app.exe -q", "C:\\App\\bin\\app.exe -q", "C:\\App\\bin\\app.exe"),
             ("bin/app.exe -q", "C:\\App\\bin\\app.exe -q", "C:\\App\\bin\\app.exe"),
             ("app.exe /q", "C:\\App\\app.exe \\q", "C:\\App\\app.exe"),
             ("/app.exe", "C:\\App\\app.exe", "C:\\App\\app.exe")]
    for value, command, module in cases:
        s.settings("C:\\App\\setup.ini", launch_settings(value))
        expect_quiet_launch(s, s.run("C:\\App\\setup.exe"), command, module)

    # From a launcher one level down, ..\ reaches a sibling folder.
    s.place("tarnbolt.exe", "C:\\App\\Setup\\setup.exe")
    s.place("probe.exe", "C:\\App\\Other\\app.exe")
    s.settings("C:\\App\\Setup\\setup.ini", launch_settings("..\\Other\\app.exe"))
    expect_quiet_launch(s, s.run("C:\\App\\Setup\\setup.exe"), "C:\\App\\Other\\app.exe",
                        "C:\\App\\Other\\app.exe")


@scenario
def run_value_oddities(s, a):
    s.place("tarnbolt.exe", "C:\\App\\setup.exe")
    s.place("probe.exe", "C:\\app.exe")
    # More ..\ than levels: the resolution ends and leaves what it cannot resolve.
    s.settings("C:\\App\\setup.ini", launch_settings("..\\..\\..\\app.exe"))
    code, box, probes = s.run("C:\\App\\setup.exe")
    s.equal(code, 0, "exit code")
    s.equal(box, None, "message box")
    s.equal([p["command"] for p in probes], ["C:\\..\\..\\app.exe"], "command line")
    # An absolute value is still taken below the launcher's directory and fails.
    s.settings("C:\\App\\setup.ini", launch_settings("C:\\app.exe"))
    code, box, probes = s.run("C:\\App\\setup.exe")
    s.equal((code, box, probes), (0, None, []), "absolute Run value")
    # Garbage lines and high bytes around the settings do not disturb them.
    s.write("C:\\App\\setup.ini", b"\x80\x81 garbage\r\n=\r\n[General\r\n[General]\r\n"
            b"junk line\r\nRun=app.exe\r\nCaption=\xe9\xe8\r\n\x01\x02\r\n")
    s.place("probe.exe", "C:\\App\\app.exe")
    expect_quiet_launch(s, s.run("C:\\App\\setup.exe"), "C:\\App\\app.exe", "C:\\App\\app.exe")


@scenario
def blank_in_directory(s, a):
    # A planted C:\Program.exe must not start for C:\Program Files\App\setup.exe.
    s.place("tarnbolt.exe", "C:\\Program Files\\App\\setup.exe")
    s.place("probe.exe", "C:\\Program Files\\App\\app.exe")
    s.place("probe.exe", "C:\\Program.exe")
    s.settings("C:\\Program Files\\App\\setup.ini", launch_settings("app.exe /q -x"))
    expect_quiet_launch(s, s.run("C:\\Program Files\\App\\setup.exe"),
                        "\"C:\\Program Files\\App\\app.exe\" \\q -x",
                        "C:\\Program Files\\App\\app.exe")
    s.settings("C:\\Program Files\\App\\setup.ini", launch_settings("app.exe"))
    expect_quiet_launch(s, s.run("C:\\Program Files\\App\\setup.exe"),
                        "\"C:\\Program Files\\App\\app.exe\"", "C:\\Program Files\\App\\app.exe")


@scenario
def installation_branch(s, a):
    # Wine's msvcrt.dll is older than 8.0: the three libraries are extracted, nothing starts.
    s.place("tarnbolt.exe", "C:\\App\\setup.exe")
    s.place("probe.exe", "C:\\App\\app.exe")
    s.settings("C:\\App\\setup.ini", launch_settings("app.exe", "8.0"))
    code, box, probes = s.run("C:\\App\\setup.exe")
    s.equal(code, 0, "exit code")
    s.equal(probes, [], "started programs")
    for name in ("msvcrt.dll", "msvcp60.dll", "msvcirt.dll"):
        extracted = os.path.join(s.temp_dir(), name)
        s.check(os.path.exists(extracted), name + " extracted")
        s.check(filecmp.cmp(extracted, os.path.join(a.payload, name), shallow=False),
                name + " is byte-identical to the payload")
    s.check(not os.path.exists(os.path.join(s.temp_dir(), "comctl32.dll")),
            "comctl32.dll not extracted on the installation branch")


@scenario
def installed_runtime_recent_enough(s, a):
    # Wine's msvcrt.dll is 7.0.2600.2180: exactly that version is enough.
    s.place("tarnbolt.exe", "C:\\App\\setup.exe")
    s.place("probe.exe", "C:\\App\\app.exe")
    s.settings("C:\\App\\setup.ini", launch_settings("app.exe", "7.0.2600.2180"))
    expect_quiet_launch(s, s.run("C:\\App\\setup.exe"), "C:\\App\\app.exe", "C:\\App\\app.exe")
    s.settings("C:\\App\\setup.ini", launch_settings("app.exe", "7.0.2600.2181"))
    code, box, probes = s.run("C:\\App\\setup.exe")
    s.equal((code, probes), (0, []), "one revision more is too new")


@scenario
def common_controls(s, a):
    s.place("tarnbolt.exe", "C:\\App\\setup.exe")
    s.place("probe.exe", "C:\\App\\app.exe")
    s.settings("C:\\App\\setup.ini", launch_settings("app.exe"))
    original = open(s.system32("comctl32.dll"), "rb").read()
    # Found on the search path: resource 107 is not touched.
    expect_quiet_launch(s, s.run("C:\\App\\setup.exe"), "C:\\App\\app.exe", "C:\\App\\app.exe")
    s.check(not os.path.exists(os.path.join(s.temp_dir(), "comctl32.dll")), "not extracted")
    s.check(open(s.system32("comctl32.dll"), "rb").read() == original, "system copy untouched")
    # Missing: extracted to the temporary directory and copied into the system directory.
    os.remove(s.system32("comctl32.dll"))
    expect_quiet_launch(s, s.run("C:\\App\\setup.exe"), "C:\\App\\app.exe", "C:\\App\\app.exe")
    extracted = os.path.join(s.temp_dir(), "comctl32.dll")
    payload = os.path.join(a.payload, "comctl32.dll")
    s.check(os.path.exists(extracted) and filecmp.cmp(extracted, payload, shallow=False),
            "resource 107 extracted")
    s.check(filecmp.cmp(s.system32("comctl32.dll"), payload, shallow=False),
            "copied into the system directory")


@scenario
def windows98_assumes_administrator(s, a):
    s.place("tarnbolt.exe", "C:\\App\\setup.exe")
    s.place("probe.exe", "C:\\App\\app.exe")
    s.settings("C:\\App\\setup.ini", launch_settings("app.exe", "6.1"))
    s.set_windows_version("setup.exe", "win98")
    expect_quiet_launch(s, s.run("C:\\App\\setup.exe"), "C:\\App\\app.exe", "C:\\App\\app.exe")


@scenario
def administrator_box(s, a):
    s.place("tarnbolt_nonadmin.exe", "C:\\App\\setup.exe")
    s.place("probe.exe", "C:\\App\\app.exe")
    s.settings("C:\\App\\setup.ini", {
        "Administrator": {"AdminMessage": "Please log on as an administrator.",
                          "AdminMessageTitle": "Setup"},
        "General": {"Run": "app.exe", "PreferredVersion": "99.0"}})
    code, box, probes = s.run("C:\\App\\setup.exe")
    s.equal(code, 0, "exit code")
    s.equal(box, {"title": "Setup", "text": "Please log on as an administrator.", "icon": "1",
                  "buttons": "1"}, "administrator box")
    s.equal(probes, [], "started programs")
    s.check(not os.path.exists(os.path.join(s.temp_dir(), "msvcrt.dll")), "nothing extracted")

    # No settings file: an empty box. A value longer than 511 characters is cut.
    os.remove(s.unix("C:\\App\\setup.ini"))
    code, box, probes = s.run("C:\\App\\setup.exe")
    s.equal((code, box, probes), (0, {"title": "", "text": "", "icon": "1", "buttons": "1"}, []),
            "box without settings")
    s.settings("C:\\App\\setup.ini", {"Administrator": {"AdminMessage": "x" * 600,
                                                        "AdminMessageTitle": "T" * 700}})
    code, box, probes = s.run("C:\\App\\setup.exe")
    s.equal((box["text"], box["title"]), ("x" * 511, "T" * 511), "values cut at 511 characters")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tools", required=True)
    parser.add_argument("--template", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--payload", required=True)
    parser.add_argument("name")
    args = parser.parse_args()
    if args.name == "list":
        print(";".join(SCENARIOS))
        return 0
    sandbox = Sandbox(args.name, args.tools, args.template, args.work)
    try:
        SCENARIOS[args.name](sandbox, args)
    except Failure as e:
        print("FAILED %s: %s" % (args.name, e))
        return 1
    finally:
        sandbox.close()
    print("%s: %d checks passed" % (args.name, sandbox.checks))
    return 0


if __name__ == "__main__":
    sys.exit(main())
