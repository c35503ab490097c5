#!/usr/bin/env python3
"""Launcher scenarios under Wine. Usage: scenarios.py --tools DIR --template DIR
--work DIR --payload DIR NAME; NAME 'list' prints the scenario names."""

import argparse
import filecmp
import ntpath
import os
import re
import shutil
import struct
import subprocess
import sys
import time

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
    s.place("probe.exe", "C:\\App\\helper.exe")
    cases = [("app.exe", "C:\\App\\app.exe", "C:\\App\\app.exe"),
             ("bin\\app.exe -q", "C:\\App\\bin\\app.exe -q", "C:\\App\\bin\\app.exe"),
             ("bin/app.exe -q", "C:\\App\\bin\\app.exe -q", "C:\\App\\bin\\app.exe"),
             ("app.exe /q", "C:\\App\\app.exe \\q", "C:\\App\\app.exe"),
             ("/app.exe", "C:\\App\\app.exe", "C:\\App\\app.exe"),
             # Arguments are never resolved: they cannot change the program.
             ("app.exe tools\\..\\helper.exe", "C:\\App\\app.exe tools\\..\\helper.exe",
              "C:\\App\\app.exe"),
             # A tab ends the program as a blank does.
             ("app.exe\ttools\\..\\helper.exe", "C:\\App\\app.exe\ttools\\..\\helper.exe",
              "C:\\App\\app.exe")]
    for value, command, module in cases:
        s.settings("C:\\App\\setup.ini", launch_settings(value))
        expect_quiet_launch(s, s.run("C:\\App\\setup.exe"), command, module)

    # A quoted program with a blank: one quoted path.
    s.place("probe.exe", "C:\\App\\my app.exe")
    s.settings("C:\\App\\setup.ini", launch_settings('"my app.exe" /q'))
    expect_quiet_launch(s, s.run("C:\\App\\setup.exe"), '"C:\\App\\my app.exe" \\q',
                        "C:\\App\\my app.exe")

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
    # A quote never closed: where the program ends cannot be told, nothing starts.
    s.place("probe.exe", "C:\\App\\app.exe")
    s.settings("C:\\App\\setup.ini", launch_settings('"app.exe'))
    code, box, probes = s.run("C:\\App\\setup.exe")
    s.equal((code, box, probes), (0, None, []), "unclosed quote")
    # Garbage lines and high bytes around the settings do not disturb them.
    s.write("C:\\App\\setup.ini", b"\x80\x81 garbage\r\n=\r\n[General\r\n[General]\r\n"
            b"junk line\r\nRun=app.exe\r\nCaption=\xe9\xe8\r\n\x01\x02\r\n")
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
    # A quoted Run value is not quoted a second time.
    s.place("probe.exe", "C:\\Program Files\\App\\my app.exe")
    s.settings("C:\\Program Files\\App\\setup.ini", launch_settings('"my app.exe" /q'))
    expect_quiet_launch(s, s.run("C:\\Program Files\\App\\setup.exe"),
                        '"C:\\Program Files\\App\\my app.exe" \\q',
                        "C:\\Program Files\\App\\my app.exe")


@scenario
def long_launcher_folder(s, a):
    # A folder too long for the module name: the launcher cannot know its own path,
    # so it reads no settings (not the bare name's in the Windows directory) and
    # starts nothing (not app.exe at the root of the current drive).
    folder = "C:\\" + "\\".join(["long folder %d " % i + "x" * 180 for i in range(6)])
    s.check(len(folder) >= 1024, "folder of 1,024 characters or more")
    s.place("tarnbolt.exe", folder + "\\setup.exe")
    s.place("probe.exe", folder + "\\app.exe")
    s.place("probe.exe", "C:\\app.exe")
    s.settings(folder + "\\setup.ini", launch_settings("app.exe /q"))
    s.settings("C:\\windows\\Tarnbolt.ini", launch_settings("app.exe /q"))
    code, box, probes = s.run(folder + "\\setup.exe")
    s.equal((code, box, probes), (0, None, []), "exit code, box, started programs")
    s.check(not os.path.exists(os.path.join(s.temp_dir(), "msvcrt.dll")), "nothing extracted")


@scenario
def installation_branch(s, a):
    # Wine's msvcrt.dll is older than 8.0, and so is the payload: nothing starts.
    s.place("tarnbolt.exe", "C:\\App\\setup.exe")
    s.place("probe.exe", "C:\\App\\app.exe")
    s.settings("C:\\App\\setup.ini", launch_settings("app.exe", "8.0"))
    code, box, probes = s.run("C:\\App\\setup.exe")
    s.equal(code, 0, "exit code")
    s.equal(probes, [], "started programs")
    # The payload cannot meet it: nothing is installed, and the copies extracted
    # to find that out are not left behind.
    for name in ("msvcrt.dll", "msvcp60.dll", "msvcirt.dll", "comctl32.dll"):
        s.check(not os.path.exists(os.path.join(s.temp_dir(), name)), name + " not left in TEMP")


def loaded_by(s, program, run):
    """The libraries the process of `program` loaded while run() ran, lower case."""
    log = os.path.join(s.root, "wine.log")
    start = os.path.getsize(log) if os.path.exists(log) else 0
    s.env["WINEDEBUG"] = "-all,+loaddll"
    try:
        result = run()
    finally:
        s.env["WINEDEBUG"] = "-all"
    with open(log, "rb") as f:
        f.seek(start)
        text = f.read().decode("latin-1")
    loads = re.findall(r'^([0-9a-f]+):trace:loaddll:\w+ Loaded L"([^"]+)"', text, re.MULTILINE)
    thread = [t for t, name in loads if name.replace("\\\\", "\\").lower() == program.lower()]
    names = {name.rsplit("\\", 1)[-1].lower() for t, name in loads if thread and t == thread[0]}
    return result, names


@scenario
def installed_runtime_recent_enough(s, a):
    # Wine's msvcrt.dll is 7.0.2600.2180: exactly that version is enough.
    s.place("tarnbolt.exe", "C:\\App\\setup.exe")
    s.place("probe.exe", "C:\\App\\app.exe")
    s.settings("C:\\App\\setup.ini", launch_settings("app.exe", "7.0.2600.2180"))
    result, loaded = loaded_by(s, "C:\\App\\setup.exe", lambda: s.run("C:\\App\\setup.exe"))
    expect_quiet_launch(s, result, "C:\\App\\app.exe", "C:\\App\\app.exe")
    # The launch road starts no library it does not use: no box, no shell link, no
    # registry value.
    s.check("setup.exe" in loaded, "the launcher's libraries were seen: %r" % sorted(loaded))
    s.equal(sorted(loaded & {"user32.dll", "ole32.dll", "advapi32.dll"}), [],
            "libraries the launch road loads")
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
    # Missing: written straight into the system directory, nothing in TEMP.
    os.remove(s.system32("comctl32.dll"))
    expect_quiet_launch(s, s.run("C:\\App\\setup.exe"), "C:\\App\\app.exe", "C:\\App\\app.exe")
    payload = os.path.join(a.payload, "comctl32.dll")
    s.check(not os.path.exists(os.path.join(s.temp_dir(), "comctl32.dll")), "nothing in TEMP")
    s.check(filecmp.cmp(s.system32("comctl32.dll"), payload, shallow=False),
            "resource 107 in the system directory")
    s.equal(staged_copies(s), [], "no staged copy left")


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


@scenario
def planted_version_library(s, a):
    # A version.dll beside the launcher, loaded first as later Windows loads a library
    # that is not on its list of known system libraries (here: native first for the
    # program). The launcher never calls it and takes its normal road. (Wine's own
    # user32.dll imports VERSION.dll, so under Wine the planted copy is mapped into
    # every program with that setting; Windows' user32.dll does not import it.)
    s.place("tarnbolt_planted_version.dll", "C:\\App\\version.dll")
    s.place("version_importer.exe", "C:\\App\\importer.exe")
    s.place("tarnbolt.exe", "C:\\App\\setup.exe")
    s.place("probe.exe", "C:\\App\\app.exe")
    s.settings("C:\\App\\setup.ini", launch_settings("app.exe", "7.0.2600.2180"))
    for exe in ("importer.exe", "setup.exe"):
        s.dll_override(exe, "version", "native,builtin")
    # The planting takes effect: a program that imports VERSION.dll calls the copy.
    s.run("C:\\App\\importer.exe")
    s.check(s.read("C:\\planted.txt") is not None, "an importing program calls the planted library")
    os.remove(s.unix("C:\\planted.txt"))
    expect_quiet_launch(s, s.run("C:\\App\\setup.exe"), "C:\\App\\app.exe", "C:\\App\\app.exe")
    s.check(s.read("C:\\planted.txt") is None, "the launcher never called the planted version.dll")


SESSION_MANAGER = "HKLM\\System\\CurrentControlSet\\Control\\Session Manager"
SHELL_FOLDERS = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"
NT4_STARTUP = "C:\\windows\\Profiles\\All Users\\Start Menu\\Programs\\Startup"
NINE_X = ("win95", "win98", "winme")
RUNTIME = ("msvcrt.dll", "msvcp60.dll", "msvcirt.dll")
RESTART_MARKER = "C:\\windows\\TARNBOLT.RST"
# A source staged in the system directory, as a [rename] line or a delayed move names it.
STAGED = re.compile(r"=c:\\windows\\system32\\tb[0-9a-f]{1,4}\.tmp$", re.IGNORECASE)


def staged_copies(s):
    """The staged copies in the system directory."""
    return sorted(n for n in os.listdir(s.system32())
                  if re.match(r"tb[0-9a-f]{1,4}\.tmp$", n, re.IGNORECASE))


def fixed_version(data):
    """The fixed file version of a library's bytes, or None."""
    if not data:
        return None
    key = data.find("VS_VERSION_INFO\0".encode("utf-16-le"))
    if key < 6:
        return None
    fixed = (key + 32 + 3) & ~3
    if data[fixed:fixed + 4] != struct.pack("<I", 0xFEEF04BD):
        return None
    high, low = struct.unpack_from("<II", data, fixed + 8)
    return (high, low)


def win_ini_run(s):
    """The profile value Run of section windows; Wine keeps that section of WIN.INI
    in the registry. Read from the saved registry, with Wine stopped."""
    return s.saved_registry_value("user.reg", "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows",
                                  "Run") or ""


def registration(s, version):
    """Where the run-at-startup entry of C:\\App\\setup.exe is found, or None."""
    if version in NINE_X:
        return "win.ini" if "C:\\App\\setup.exe" in win_ini_run(s) else None
    if s.read(NT4_STARTUP + "\\setup.lnk") is not None:
        return "nt4 startup folder"
    common = s.saved_registry_value("system.reg", SHELL_FOLDERS[5:], "Common Startup")
    if common and s.read(common + "\\setup.lnk") is not None:
        return "common startup folder"
    return None


def stamp_launcher(s, a, target, settings):
    """The launcher built with stand-ins, stamped as a packager would with the
    packager's tool: the native runtime copy as msvcrt.dll, copies of it with the
    other libraries' versions as msvcp60.dll and msvcirt.dll (code and a version, as
    real ones have), the prefix's own comctl32.dll. The tool's check of the result
    must be clean. Answers the stamped files by name."""
    runtime = os.path.join(a.native, "payload", "msvcrt.dll")
    files = {"msvcrt.dll": runtime, "comctl32.dll": s.system32("comctl32.dll")}
    for name, version in (("msvcp60.dll", "6.0.8168.0"), ("msvcirt.dll", "6.1.8637.0")):
        files[name] = os.path.join(s.root, name)
        subprocess.run([sys.executable, os.path.join(os.path.dirname(__file__), "native_runtime.py"),
                        runtime, files[name], version], check=True)
    for name, path in files.items():
        with open(path, "rb") as f:
            s.write("C:\\Pkg\\" + name, f.read())
    s.place("tarnbolt.exe", "C:\\Pkg\\tarnbolt.exe")
    s.place("tarnbolt-tool.exe", "C:\\Pkg\\tarnbolt-tool.exe")
    args = ["C:\\Pkg\\tarnbolt-tool.exe", "stamp", "C:\\Pkg\\tarnbolt.exe", "-o", target,
            "--settings", settings]
    for name in ("msvcrt", "msvcp60", "msvcirt", "comctl32"):
        args += ["--" + name, "C:\\Pkg\\%s.dll" % name]
    if s.arch == "win64":
        args += ["--arch", "x86-64"]  # the x86-64 vehicle
    result = s.wine(*args)
    report = result.stdout.decode("latin-1", errors="replace")
    s.equal(result.returncode, 0, "stamp and check, exit code (%s)" % report.strip()[-400:])
    s.check("0 errors, 0 warnings" in report, "the stamped launcher checks clean")
    s.check(s.read(target) is not None, "stamped launcher written")
    return files


def whole_road(s, a, version, stamped=False):
    """An installed runtime older than PreferredVersion: deferred replacement, the
    restart box, registration and restart; after the restart the launcher runs again,
    takes its registration away and starts the main application."""
    s.place("probe.exe", "C:\\App\\app.exe")
    s.settings("C:\\App\\setup.ini", {
        "Administrator": {"AdminMessage": "Log on as an administrator.", "AdminMessageTitle": "Setup"},
        "General": {"Run": "app.exe", "Message": "Setup must restart Windows.", "Caption": "Restart",
                    "PreferredVersion": "6.1.8637.0"}})
    if stamped:
        sources = stamp_launcher(s, a, "C:\\App\\setup.exe", "C:\\App\\setup.ini")
    else:
        s.place("tarnbolt_native_payload.exe", "C:\\App\\setup.exe")
        sources = {"msvcrt.dll": os.path.join(a.native, "payload", "msvcrt.dll"),
                   "msvcp60.dll": os.path.join(a.payload, "msvcp60.dll"),
                   "msvcirt.dll": os.path.join(a.payload, "msvcirt.dll")}
    if version == "nt40":
        # Present on an English NT 4; "Common Startup" names the folder all the same.
        os.makedirs(s.unix(NT4_STARTUP), exist_ok=True)
    s.set_windows_version("setup.exe", version)
    s.native_runtime_for("setup.exe")
    payload = open(sources["msvcrt.dll"], "rb").read()
    installed = {n: fixed_version(s.read("C:\\windows\\system32\\" + n)) for n in RUNTIME}
    embedded = {n: fixed_version(open(sources[n], "rb").read()) for n in RUNTIME}
    # Never an older library over a newer one.
    queued = [n for n in RUNTIME if not (installed[n] and embedded[n] < installed[n])]
    s.check("msvcrt.dll" in queued, "the runtime is queued")

    code, box, probes = s.run("C:\\App\\setup.exe")
    s.equal(code, 0, "exit code")
    s.equal(box, {"title": "Restart", "text": "Setup must restart Windows.", "icon": "0",
                  "buttons": "1"}, "restart box")
    s.equal(probes, [], "main application not started before the restart")

    temp = s.temp_dir()
    if version in NINE_X:
        # Wine's restart on this road already ran the renames and kept the file as .bak.
        text = b"".join(s.read("C:\\windows\\" + n) or b"" for n in ("wininit.ini", "wininit.bak"))
        text = text.decode("latin-1").lower()
        s.check("[rename]" in text, "WININIT.INI has a [rename] section")
        lines = text.splitlines()
        for n in queued:
            s.check(any(l.startswith("c:\\windows\\system32\\%s=" % n) and STAGED.search(l)
                        for l in lines), n + " deferred through WININIT.INI from a staged copy")
        raw = b"".join(s.read("C:\\windows\\" + n) or b"" for n in ("wininit.ini", "wininit.bak"))
        s.check(b"\r\n" in raw, "lines end in CR LF")
    else:
        # Asked for without force and refused by no program, the restart happens at
        # once under Wine: the delayed moves are carried out already
        # (restart_pending_nt looks at them before the boot).
        s.equal(delayed_moves(s), [], "delayed moves carried out by the restart")
    for n in RUNTIME:
        s.check(not os.path.exists(os.path.join(temp, n)), n + ": no payload copy left in TEMP")

    expected = {"win95": "win.ini", "win98": "win.ini", "winme": "win.ini",
                "nt40": "common startup folder", "win2k": "common startup folder"}.get(version)
    s.equal(registration(s, version), expected, "run-at-startup registration")

    # The restart: Wine performs the pending renames and WININIT.INI.
    s.wine("wineboot", "-r")
    subprocess.run(["wineserver", "-w"], env=s.env, timeout=120)
    s.check(s.read("C:\\windows\\system32\\msvcrt.dll") == payload,
            "msvcrt.dll replaced by the payload after the restart")
    s.equal(staged_copies(s), [], "no staged copy left")

    # After the restart the registration starts the launcher (Wine itself starts only
    # the per-user Startup folder, so the bench does); without one the user does.
    code, box, probes = s.run("C:\\App\\setup.exe")
    s.equal((code, box), (0, None), "second run: exit code and box")
    s.equal([p["command"] for p in probes], ["C:\\App\\app.exe"], "second run starts the application")
    s.equal(registration(s, version), None, "registration removed")
    s.equal(s.read(RESTART_MARKER), None, "no restart marker left")


for _version in ("win95", "win98", "winme", "nt40", "win2k", "winxp", "win7"):
    SCENARIOS["whole_road_" + _version] = (lambda v: lambda s, a: whole_road(s, a, v))(_version)
    SCENARIOS["whole_road_" + _version].native = True
# The packager's road: stamped with the tool instead of rebuilt with the payload.
SCENARIOS["whole_road_stamped"] = lambda s, a: whole_road(s, a, "winxp", stamped=True)
SCENARIOS["whole_road_stamped"].native = True


@scenario
def reboot_loop_guard(s, a):
    # The payload runtime (6.1.8637.0) can never meet 7.0.2600.2181: nothing is queued,
    # nothing is shown, nothing is registered, no restart.
    s.place("tarnbolt.exe", "C:\\App\\setup.exe")
    s.place("probe.exe", "C:\\App\\app.exe")
    s.settings("C:\\App\\setup.ini", {"General": {
        "Run": "app.exe", "Message": "restart", "Caption": "Restart",
        "PreferredVersion": "7.0.2600.2181"}})
    s.set_windows_version("setup.exe", "win98")
    code, box, probes = s.run("C:\\App\\setup.exe")
    s.equal((code, box, probes), (0, None, []), "exit code, box, started programs")
    s.equal(win_ini_run(s), "", "no registration")
    s.check(s.read("C:\\windows\\wininit.ini") is None and s.read("C:\\windows\\wininit.bak") is None,
            "no WININIT.INI")
    s.check(not os.path.exists(os.path.join(s.temp_dir(), "msvcrt.dll")), "no extracted copy stays")


@scenario
def no_downgrade(s, a):
    # A newer msvcp60.dll in the system directory is not replaced by the payload's.
    newer = os.path.join(s.root, "msvcp60-newer.dll")
    subprocess.run([sys.executable, os.path.join(os.path.dirname(__file__), "native_runtime.py"),
                    os.path.join(a.payload, "msvcp60.dll"), newer, "9.0.0.0"], check=True)
    with open(newer, "rb") as f:
        newer_bytes = f.read()
    with open(s.system32("msvcp60.dll"), "wb") as f:
        f.write(newer_bytes)
    s.place("tarnbolt_native_payload.exe", "C:\\App\\setup.exe")
    s.place("probe.exe", "C:\\App\\app.exe")
    s.settings("C:\\App\\setup.ini", {"General": {
        "Run": "app.exe", "Message": "m", "Caption": "c", "PreferredVersion": "6.1.8637.0"}})
    s.native_runtime_for("setup.exe")
    held = HeldSession(s)
    code, box, probes = s.run("C:\\App\\setup.exe", settle=False)
    s.equal((code, box is not None, probes), (0, True, []), "restart road taken")
    held.wait_refused(1)
    targets = [t for _, t in live_delayed_moves(s)]
    s.check(any(t.endswith("\\msvcrt.dll") for t in targets), "msvcrt.dll deferred")
    s.check(not any(t.endswith("\\msvcp60.dll") for t in targets),
            "the newer msvcp60.dll is not replaced")
    s.check(not os.path.exists(os.path.join(s.temp_dir(), "msvcp60.dll")), "its extracted copy is removed")
    held.release()
    restart(s)
    s.check(s.read("C:\\windows\\system32\\msvcp60.dll") == newer_bytes, "newer library kept")


no_downgrade.native = True


# --- the installation road on the machines users have ------------------------

def installation_setup(s, version, launcher="C:\\App\\setup.exe"):
    """The launcher with a payload that replaces the prefix's old native runtime,
    on the given Windows version."""
    s.place("probe.exe", ntpath.join(ntpath.dirname(launcher), "app.exe"))
    s.settings(launcher[:-4] + ".ini", {"General": {
        "Run": "app.exe", "Message": "Restart now.", "Caption": "Restart",
        "PreferredVersion": "6.1.8637.0"}})
    s.place("tarnbolt_native_payload.exe", launcher)
    s.set_windows_version("setup.exe", version)
    s.native_runtime_for("setup.exe")


def delayed_moves(s):
    """The registered delayed moves as (source, target) pairs, lower case."""
    items = (s.saved_registry_value("system.reg", SESSION_MANAGER[5:],
                                    "PendingFileRenameOperations") or "").lower().split("|")
    return [(a.replace("\\??\\", ""), b.lstrip("!").replace("\\??\\", ""))
            for a, b in zip(items[0::2], items[1::2]) if a]


def windows_file(s, name):
    """A file of the Windows directory, its name in any case (the launcher writes
    WININIT.INI, Wine's boot keeps wininit.bak), or None."""
    folder = s.unix("C:\\windows")
    for n in os.listdir(folder):
        if n.lower() == name.lower():
            return s.read("C:\\windows\\" + n)
    return None


def rename_lines(s):
    """The [rename] lines of WININIT.INI, or of the copy Wine's boot kept."""
    text = b"".join(windows_file(s, n) or b"" for n in ("wininit.ini", "wininit.bak"))
    return [l for l in text.decode("latin-1").splitlines() if "=" in l]


def restart(s):
    s.wine("wineboot", "-r")
    subprocess.run(["wineserver", "-w"], env=s.env, timeout=120)


def started_after_boot(s):
    # The run after a boot that put the runtime in place: no box, the application
    # starts, and nothing is left of the restart.
    code, box, probes = s.run("C:\\App\\setup.exe")
    s.equal((code, box), (0, None), "after the boot: exit code, box")
    s.equal([p["command"] for p in probes], ["C:\\App\\app.exe"], "after the boot the application starts")
    s.equal(s.read(RESTART_MARKER), None, "no restart marker left")


def set_user_environment(s, name, value):
    r = s.wine("reg", "add", "HKCU\\Environment", "/v", name, "/t", "REG_SZ", "/d", value, "/f")
    if r.returncode != 0:
        raise Failure("reg add failed: %s" % r.stdout.decode(errors="replace"))


class HeldSession:
    """A program with an unsaved document whose user cancels the end of the
    session: every restart request is refused, so no start of Windows happens (and
    the session stays up) until it is released."""

    def __init__(self, s):
        self.s = s
        for stale in ("C:\\refuser.txt", "C:\\refuser.stop"):
            if os.path.exists(s.unix(stale)):
                os.remove(s.unix(stale))
        s.place("refuser.exe", "C:\\tools\\refuser.exe")
        self.process = subprocess.Popen(
            [s.loader, "C:\\tools\\refuser.exe", "C:\\refuser.txt", "C:\\refuser.stop"],
            env=s.env, cwd=s.prefix, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self._wait(lambda: s.read("C:\\refuser.txt") is not None, "the refusing program is up")

    def refused(self):
        m = re.search(rb"refused=(\d+)", self.s.read("C:\\refuser.txt") or b"")
        return int(m.group(1)) if m else 0

    def wait_refused(self, count):
        """Waits until `count` restart requests reached the program (and were refused)."""
        self._wait(lambda: self.refused() >= count, "restart request %d asked the program" % count)
        self.s.equal(self.refused(), count, "restart requests")

    def release(self):
        self.s.write("C:\\refuser.stop", "")
        self.process.wait(timeout=60)

    def _wait(self, condition, what):
        for _ in range(1200):
            if condition():
                return
            time.sleep(0.05)
        raise Failure("timed out: " + what)


def live_delayed_moves(s):
    """The delayed moves as (source, target) pairs, lower case, asked of the running
    session (the saved registry lags behind it)."""
    # The log holds every earlier answer too: only this one may be read.
    log = os.path.join(s.root, "wine.log")
    if os.path.exists(log):
        os.remove(log)
    value = (s.reg_query(SESSION_MANAGER, "PendingFileRenameOperations") or "").lower()
    items = value.split("\\0")
    return [(a.replace("\\??\\", ""), b.lstrip("!").replace("\\??\\", ""))
            for a, b in zip(items[0::2], items[1::2]) if a]


def restart_pending(s, a, version):
    # Another program refuses the restart (its user cancels to save): the
    # replacements stay queued, and every run before a start of Windows shows the
    # box and asks again, queueing nothing twice. A second launcher started while
    # the first one's box is up ends at once.
    installation_setup(s, version)
    with open(os.path.join(a.native, "payload", "msvcrt.dll"), "rb") as f:
        payload = f.read()
    held = HeldSession(s)
    s.env["BOXWATCH_RUN"] = "C:\\App\\setup.exe"
    code, box, probes = s.run("C:\\App\\setup.exe", settle=False)
    del s.env["BOXWATCH_RUN"]
    s.equal((code, box and box["title"], probes), (0, "Restart", []), "first run: restart box")
    s.equal(box.get("other"), "0", "a second launcher meanwhile ends at once, with no box")
    held.wait_refused(1)

    def queued():
        if version in NINE_X:
            return windows_file(s, "wininit.ini")
        return live_delayed_moves(s)

    before, staged = queued(), staged_copies(s)
    if version in NINE_X:
        lines = rename_lines(s)
    else:
        lines = ["%s=%s" % (t, src) for src, t in before]
    s.check(any(l.lower().startswith("c:\\windows\\system32\\msvcrt.dll=") for l in lines),
            "msvcrt.dll deferred")
    for line in lines:
        s.check(STAGED.search(line) is not None, "source staged in the system directory: " + line)
        source = line.split("=", 1)[1]
        s.check(os.path.exists(s.system32(ntpath.basename(source))), "staged copy there: " + source)
        if line.lower().startswith("c:\\windows\\system32\\msvcrt.dll="):
            s.check(s.read(source) == payload, "the staged msvcrt.dll is the payload")
    s.equal(len(staged), len(lines), "one staged copy per deferred library")
    for n in RUNTIME:
        s.check(not os.path.exists(os.path.join(s.temp_dir(), n)), n + ": no payload copy left in TEMP")

    code, box, probes = s.run("C:\\App\\setup.exe", settle=False)
    s.equal((code, box and box["title"], probes), (0, "Restart", []),
            "a run before the boot: the restart box again")
    held.wait_refused(2)
    s.equal(queued(), before, "nothing queued twice")
    s.equal(staged_copies(s), staged, "no further staged copy")
    for n in RUNTIME:
        s.check(not os.path.exists(os.path.join(s.temp_dir(), n)), n + ": nothing extracted again")

    held.release()
    restart(s)
    s.check(s.read("C:\\windows\\system32\\msvcrt.dll") == payload, "replaced at the boot")
    s.equal(staged_copies(s), [], "no staged copy left")
    started_after_boot(s)


SCENARIOS["restart_pending_nt"] = lambda s, a: restart_pending(s, a, "win2k")
SCENARIOS["restart_pending_9x"] = lambda s, a: restart_pending(s, a, "win98")
SCENARIOS["restart_pending_nt"].native = True
SCENARIOS["restart_pending_9x"].native = True


def restart_without_effect(s, a, version):
    # The replacement fails at the restart (its staged sources removed while the box
    # was up): the runs after it neither queue, nor show the box, nor register, nor
    # restart again, until the runtime is in place.
    installation_setup(s, version)
    old = s.read("C:\\windows\\system32\\msvcrt.dll")
    s.env["BOXWATCH_DELETE"] = "C:\\windows\\system32\\tb*.tmp"
    code, box, probes = s.run("C:\\App\\setup.exe")
    del s.env["BOXWATCH_DELETE"]
    s.check(box is not None, "first run: restart box")
    s.equal(staged_copies(s), [], "staged sources removed while the box was up")
    restart(s)
    s.check(s.read("C:\\windows\\system32\\msvcrt.dll") == old, "runtime not replaced")
    if version not in NINE_X:
        s.equal(delayed_moves(s), [], "no delayed moves after the restart")
    for run in ("after the restart", "by hand"):
        code, box, probes = s.run("C:\\App\\setup.exe")
        s.equal((code, box, probes), (0, None, []), run + ": exit code, box, started programs")
        s.equal(registration(s, version), None, run + ": no registration")
        if version in NINE_X:
            s.equal(windows_file(s, "wininit.ini"), None, run + ": nothing in WININIT.INI")
        else:
            s.equal(delayed_moves(s), [], run + ": no delayed moves")
    # The runtime put in place by other means: the launch road, and nothing left.
    with open(os.path.join(a.native, "payload", "msvcrt.dll"), "rb") as f:
        s.write("C:\\windows\\system32\\msvcrt.dll", f.read())
    code, box, probes = s.run("C:\\App\\setup.exe")
    s.equal([p["command"] for p in probes], ["C:\\App\\app.exe"], "runtime in place: launch")
    s.equal(s.read(RESTART_MARKER), None, "no restart marker left")


SCENARIOS["restart_without_effect_nt"] = lambda s, a: restart_without_effect(s, a, "win2k")
SCENARIOS["restart_without_effect_9x"] = lambda s, a: restart_without_effect(s, a, "win98")
SCENARIOS["restart_without_effect_nt"].native = True
SCENARIOS["restart_without_effect_9x"].native = True


def newer_runtime(s, a):
    """Another installer's msvcrt.dll, newer than the payload, in C:\\Other."""
    newer = os.path.join(s.root, "msvcrt-newer.dll")
    subprocess.run([sys.executable, os.path.join(os.path.dirname(__file__), "native_runtime.py"),
                    os.path.join(a.native, "payload", "msvcrt.dll"), newer, "9.0.0.0"], check=True)
    with open(newer, "rb") as f:
        data = f.read()
    s.write("C:\\Other\\msvcrt.new", data)
    return data


def queued_newer(s, a, version):
    # Another installer queued a newer msvcrt.dll for the next boot and its user
    # chose to restart later: ours is not queued after it, the restart is still
    # asked for, and the boot leaves theirs; the application starts after it.
    installation_setup(s, version)
    newer = newer_runtime(s, a)
    held = HeldSession(s)
    if version in NINE_X:
        s.write("C:\\windows\\wininit.ini",
                "[rename]\r\nC:\\windows\\system32\\msvcrt.dll=C:\\Other\\msvcrt.new\r\n")
    else:
        r = s.wine("reg", "add", SESSION_MANAGER, "/v", "PendingFileRenameOperations", "/t",
                   "REG_MULTI_SZ", "/d",
                   "\\??\\C:\\Other\\msvcrt.new\\0!\\??\\C:\\windows\\system32\\msvcrt.dll", "/f")
        s.equal(r.returncode, 0, "reg add")
    code, box, probes = s.run("C:\\App\\setup.exe", settle=False)
    s.equal((code, box and box["title"], probes), (0, "Restart", []), "restart box")
    held.wait_refused(1)
    if version in NINE_X:
        targets = [l.split("=", 1)[0].lower() for l in rename_lines(s)]
    else:
        targets = [t for _, t in live_delayed_moves(s)]
    s.equal(sum(t.endswith("\\msvcrt.dll") for t in targets), 1, "msvcrt.dll queued once, theirs")
    held.release()
    restart(s)
    s.check(s.read("C:\\windows\\system32\\msvcrt.dll") == newer, "the newer msvcrt.dll after the boot")
    started_after_boot(s)


SCENARIOS["queued_newer_nt"] = lambda s, a: queued_newer(s, a, "win2k")
SCENARIOS["queued_newer_9x"] = lambda s, a: queued_newer(s, a, "win98")
SCENARIOS["queued_newer_nt"].native = True
SCENARIOS["queued_newer_9x"].native = True


def queue_emptied(s, a, version):
    # A cleaner empties the queue before any boot (on 9x another installer writes
    # WININIT.INI again without our lines): no start of Windows has happened, so the
    # next run queues again, staging again what is gone, and asks again.
    installation_setup(s, version)
    with open(os.path.join(a.native, "payload", "msvcrt.dll"), "rb") as f:
        payload = f.read()
    held = HeldSession(s)
    code, box, probes = s.run("C:\\App\\setup.exe", settle=False)
    s.equal((code, box and box["title"]), (0, "Restart"), "first run: restart box")
    held.wait_refused(1)
    if version in NINE_X:
        # The file under the name it has (the launcher's capitals).
        name = [n for n in os.listdir(s.unix("C:\\windows")) if n.lower() == "wininit.ini"]
        s.equal(len(name), 1, "one WININIT.INI")
        s.write("C:\\windows\\" + name[0], "[rename]\r\n")
    else:
        r = s.wine("reg", "delete", SESSION_MANAGER, "/v", "PendingFileRenameOperations", "/f")
        s.equal(r.returncode, 0, "reg delete")
        s.equal(live_delayed_moves(s), [], "queue emptied")
    for name in staged_copies(s)[:1]:
        os.remove(s.system32(name))  # and a staged copy cleaned away

    code, box, probes = s.run("C:\\App\\setup.exe", settle=False)
    s.equal((code, box and box["title"], probes), (0, "Restart", []), "before the boot: asked again")
    held.wait_refused(2)
    if version in NINE_X:
        lines = rename_lines(s)
    else:
        lines = ["%s=%s" % (t, src) for src, t in live_delayed_moves(s)]
    s.equal(sum(l.lower().startswith("c:\\windows\\system32\\msvcrt.dll=") for l in lines), 1,
            "msvcrt.dll queued again, once")
    for line in lines:
        s.check(os.path.exists(s.system32(ntpath.basename(line.split("=", 1)[1]))),
                "its staged copy is there: " + line)
    held.release()
    restart(s)
    s.check(s.read("C:\\windows\\system32\\msvcrt.dll") == payload, "replaced at the boot")
    s.equal(staged_copies(s), [], "no staged copy left")
    code, box, probes = s.run("C:\\App\\setup.exe")
    s.equal([p["command"] for p in probes], ["C:\\App\\app.exe"], "after the boot the application starts")


SCENARIOS["queue_emptied_nt"] = lambda s, a: queue_emptied(s, a, "win2k")
SCENARIOS["queue_emptied_9x"] = lambda s, a: queue_emptied(s, a, "win98")
SCENARIOS["queue_emptied_nt"].native = True
SCENARIOS["queue_emptied_9x"].native = True


@scenario
def temp_missing_folder(s, a):
    # TEMP names a folder that does not exist: nothing is written at the root of the
    # current drive, and a file there of a payload's name keeps its bytes.
    set_user_environment(s, "TEMP", "C:\\No Such Folder")
    set_user_environment(s, "TMP", "C:\\No Such Folder")
    s.write("C:\\msvcrt.dll", b"someone's file")
    before = sorted(os.listdir(s.unix("C:\\")))
    installation_setup(s, "win2k")
    code, box, probes = s.run("C:\\App\\setup.exe", cwd="C:\\")
    s.check(box is not None, "restart box")
    s.equal(s.read("C:\\msvcrt.dll"), b"someone's file", "the file at the root keeps its bytes")
    for name in ("msvcp60.dll", "msvcirt.dll", "comctl32.dll"):
        s.check(not os.path.exists(s.unix("C:\\" + name)), name + " never at the root")
    restart(s)
    with open(os.path.join(a.native, "payload", "msvcrt.dll"), "rb") as f:
        s.check(s.read("C:\\windows\\system32\\msvcrt.dll") == f.read(), "replaced after the restart")
    code, box, probes = s.run("C:\\App\\setup.exe", cwd="C:\\")
    s.equal([p["command"] for p in probes], ["C:\\App\\app.exe"], "after the boot the application starts")
    s.equal(s.read("C:\\msvcrt.dll"), b"someone's file", "still its bytes")


temp_missing_folder.native = True


@scenario
def nul_padded_wininit(s, a):
    # A WININIT.INI a crash left padded with NUL bytes: our lines go before the first
    # NUL, where a reader that stops there sees them, and every byte stays.
    installation_setup(s, "win98")
    s.write("C:\\Other\\a.new", "new a")
    old = b"[rename]\r\nC:\\Other\\a.dll=C:\\Other\\a.new\r\n"
    padding = b"\0" * 512
    held = HeldSession(s)
    s.write("C:\\windows\\wininit.ini", old + padding)
    code, box, probes = s.run("C:\\App\\setup.exe", settle=False)
    s.equal((code, box and box["title"]), (0, "Restart"), "restart box")
    held.wait_refused(1)
    text = windows_file(s, "wininit.ini")
    s.check(text.startswith(old), "the old lines first")
    s.check(text.endswith(padding), "the padding kept, last")
    body = text[:text.index(b"\0")].decode("latin-1").lower()
    s.check("c:\\windows\\system32\\msvcrt.dll=" in body, "ours before the first NUL")
    s.equal(len(text), len(body) + len(padding), "nothing but the padding after it")
    held.release()
    restart(s)
    with open(os.path.join(a.native, "payload", "msvcrt.dll"), "rb") as f:
        s.check(s.read("C:\\windows\\system32\\msvcrt.dll") == f.read(), "replaced at the boot")
    s.equal(s.read("C:\\Other\\a.dll"), b"new a", "the other line carried out too")


nul_padded_wininit.native = True


@scenario
def temp_on_second_drive(s, a):
    # TEMP on D: (a mapped drive): a delayed move cannot cross volumes, so its
    # source is staged in the system directory first.
    drive = os.path.join(s.root, "drive_d")
    os.makedirs(os.path.join(drive, "Temp"))
    os.symlink(drive, os.path.join(s.prefix, "dosdevices", "d:"))
    set_user_environment(s, "TEMP", "D:\\Temp")
    set_user_environment(s, "TMP", "D:\\Temp")
    installation_setup(s, "winxp")
    held = HeldSession(s)
    code, box, probes = s.run("C:\\App\\setup.exe", settle=False)
    s.check(box is not None, "restart box")
    held.wait_refused(1)
    moves = live_delayed_moves(s)
    s.check(len(moves) >= 1, "delayed moves registered")
    for source, target in moves:
        s.check(STAGED.search("=" + source) is not None, "staged in the system directory: " + source)
    s.equal(os.listdir(os.path.join(drive, "Temp")), [], "nothing left in D:\\Temp")
    held.release()
    restart(s)
    with open(os.path.join(a.native, "payload", "msvcrt.dll"), "rb") as f:
        s.check(s.read("C:\\windows\\system32\\msvcrt.dll") == f.read(), "replaced after the restart")
    staged = [n for n in os.listdir(s.system32()) if n.lower().startswith("tb") and n.lower().endswith(".tmp")]
    s.equal(staged, [], "no staged copy left")


temp_on_second_drive.native = True


@scenario
def long_temp_on_9x(s, a):
    # The boot-time processor of 95/98/Me reads short names only.
    set_user_environment(s, "TEMP", "C:\\My Temporary Files")
    set_user_environment(s, "TMP", "C:\\My Temporary Files")
    os.makedirs(s.unix("C:\\My Temporary Files"), exist_ok=True)
    installation_setup(s, "win98")
    code, box, probes = s.run("C:\\App\\setup.exe")
    s.check(box is not None, "restart box")
    lines = rename_lines(s)
    s.check(any("msvcrt.dll=" in l.lower() for l in lines), "msvcrt.dll in [rename]")
    short = re.compile(r"^[a-z]:(\\[^\\ .]{1,8}(\.[^\\ .]{1,3})?)+$", re.IGNORECASE)
    for line in lines:
        for side in line.split("=", 1):
            s.check(short.match(side) is not None, "a short name: " + side)
    restart(s)
    with open(os.path.join(a.native, "payload", "msvcrt.dll"), "rb") as f:
        s.check(s.read("C:\\windows\\system32\\msvcrt.dll") == f.read(), "replaced after the restart")


long_temp_on_9x.native = True


@scenario
def other_products_link(s, a):
    # Another product's setup.exe left its setup.lnk in Common Startup: our launcher
    # of the same name, on the launch road, leaves it.
    installation_setup(s, "win2k", "C:\\Other\\setup.exe")
    code, box, probes = s.run("C:\\Other\\setup.exe")
    s.check(box is not None, "the other product asks for its restart")
    common = s.saved_registry_value("system.reg", SHELL_FOLDERS[5:], "Common Startup")
    link = s.read(common + "\\setup.lnk")
    s.check(link is not None, "the other product's setup.lnk")
    s.place("tarnbolt.exe", "C:\\App\\setup.exe")
    s.place("probe.exe", "C:\\App\\app.exe")
    s.settings("C:\\App\\setup.ini", launch_settings("app.exe"))
    expect_quiet_launch(s, s.run("C:\\App\\setup.exe"), "C:\\App\\app.exe", "C:\\App\\app.exe")
    s.equal(s.read(common + "\\setup.lnk"), link, "the other product's link stays")


other_products_link.native = True


def other_products_link_road(s, a, version):
    # Another product's setup.exe asked for its restart and left its setup.lnk in
    # the Startup folder; before its run after that restart, our setup.exe takes the
    # whole restart road. Its link stays byte for byte while ours comes and goes.
    # On NT 4 the folder is a Dutch one that "Common Startup" names: no English
    # Start Menu folder exists.
    folder = s.saved_registry_value("system.reg", SHELL_FOLDERS[5:], "Common Startup")
    dutch = "C:\\windows\\Profiles\\All Users\\Menu Start\\Programma's\\Opstarten"

    def localise():
        # Wine's restart writes its own shell folders again; a Dutch NT 4 keeps its.
        if version == "nt40":
            r = s.wine("reg", "add", SHELL_FOLDERS, "/v", "Common Startup", "/t", "REG_SZ",
                       "/d", dutch, "/f")
            s.equal(r.returncode, 0, "reg add")

    if version == "nt40":
        folder = dutch
        os.makedirs(s.unix(folder))
    localise()
    installation_setup(s, version, "C:\\Other\\setup.exe")
    code, box, probes = s.run("C:\\Other\\setup.exe")
    s.check(box is not None, "the other product asks for its restart")
    restart(s)
    localise()
    other = s.read(folder + "\\setup.lnk")
    s.check(other is not None, "the other product's setup.lnk")
    # The same old runtime again, and no trace of the other product's restart.
    with open(os.path.join(a.native, "old", "msvcrt.dll"), "rb") as f:
        s.write("C:\\windows\\system32\\msvcrt.dll", f.read())
    os.remove(s.unix(RESTART_MARKER))

    installation_setup(s, version)
    code, box, probes = s.run("C:\\App\\setup.exe")
    s.check(box is not None, "our restart box")
    s.equal(s.read(folder + "\\setup.lnk"), other, "the other product's link, after our registration")
    s.check(s.read(folder + "\\setup (2).lnk") is not None, "ours under the next free name")
    restart(s)
    localise()
    with open(os.path.join(a.native, "payload", "msvcrt.dll"), "rb") as f:
        s.check(s.read("C:\\windows\\system32\\msvcrt.dll") == f.read(), "replaced after the restart")
    code, box, probes = s.run("C:\\App\\setup.exe")
    s.equal([p["command"] for p in probes], ["C:\\App\\app.exe"], "second run starts the application")
    s.equal(s.read(folder + "\\setup (2).lnk"), None, "our link removed")
    s.equal(s.read(folder + "\\setup.lnk"), other, "the other product's link, byte for byte")
    if version == "nt40":
        s.check(not os.path.exists(s.unix(NT4_STARTUP)), "no English Startup folder was made")


SCENARIOS["other_products_link_road_nt40"] = lambda s, a: other_products_link_road(s, a, "nt40")
SCENARIOS["other_products_link_road_win2k"] = lambda s, a: other_products_link_road(s, a, "win2k")
SCENARIOS["other_products_link_road_nt40"].native = True
SCENARIOS["other_products_link_road_win2k"].native = True


@scenario
def interrupted_wininit_commit(s, a):
    # An earlier run stopped between setting WININIT.INI aside (.TBO) and moving its
    # new text in (.TBN still there); another installer has written a WININIT.INI
    # since. No boot saw the set-aside lines: every line waits for the restart.
    installation_setup(s, "win98")
    for name in ("a", "b"):
        s.write("C:\\Other\\%s.new" % name, "new " + name)
    aside = "[rename]\r\nC:\\Other\\a.dll=C:\\Other\\a.new\r\n"
    later = "[rename]\r\nC:\\Other\\b.dll=C:\\Other\\b.new\r\n[other]\r\nkeep=1\r\n"

    def interrupted():
        s.write("C:\\windows\\WININIT.TBO", aside)
        s.write("C:\\windows\\WININIT.TBN", aside + "C:\\windows\\system32\\x.dll=C:\\x.tmp\r\n")
        s.write("C:\\windows\\wininit.ini", later)

    code, box, probes = s.run("C:\\App\\setup.exe", prepare=interrupted)
    s.check(box is not None, "restart box")
    lines = [l.lower() for l in rename_lines(s)]
    for line in ("c:\\other\\a.dll=c:\\other\\a.new", "c:\\other\\b.dll=c:\\other\\b.new", "keep=1"):
        s.check(line in lines, "kept: " + line)
    s.check(any(l.startswith("c:\\windows\\system32\\msvcrt.dll=") for l in lines), "ours queued")
    s.check(not any("x.dll" in l for l in lines), "the stopped run's own lines are not replayed")
    for side in ("TBO", "TBN", "TB1"):
        s.equal(s.read("C:\\windows\\WININIT." + side), None, "no WININIT." + side + " left")
    restart(s)
    s.equal((s.read("C:\\Other\\a.dll"), s.read("C:\\Other\\b.dll")), (b"new a", b"new b"),
            "both installers' renames carried out at the restart")
    with open(os.path.join(a.native, "payload", "msvcrt.dll"), "rb") as f:
        s.check(s.read("C:\\windows\\system32\\msvcrt.dll") == f.read(), "ours as well")


interrupted_wininit_commit.native = True


# --- Japanese Windows (ANSI code page 932) --------------------------------------

TABLE = "\u8868"  # 95 5C in code page 932: its trail byte is a backslash


def japanese(s):
    s.env.update(LANG="ja_JP.UTF-8", LC_ALL="ja_JP.UTF-8")


def ansi(text):
    """A path as a program of code page 932 writes it, read back as the bench reads."""
    return text.encode("cp932").decode("latin-1")


@scenario
def japanese_launch_folder(s, a):
    japanese(s)
    folder = "C:\\" + TABLE
    s.place("tarnbolt.exe", folder + "\\setup.exe")
    s.place("probe.exe", folder + "\\app.exe")
    s.settings(folder + "\\setup.ini", launch_settings("app.exe /q"))
    code, box, probes = s.run(folder + "\\setup.exe")
    s.equal((code, box), (0, None), "exit code, box")
    s.equal([(p["module"].lower(), p["command"]) for p in probes],
            [(ansi(folder + "\\app.exe").lower(), ansi(folder + "\\app.exe \\q"))],
            "the application in the folder starts")


@scenario
def japanese_temp_road(s, a):
    # The whole installation road with TEMP below a folder whose name ends in a
    # trail byte 0x5C.
    japanese(s)
    temp = "C:\\" + TABLE + "\\Temp"
    os.makedirs(s.unix(temp), exist_ok=True)
    set_user_environment(s, "TEMP", temp)
    set_user_environment(s, "TMP", temp)
    installation_setup(s, "win2k")
    code, box, probes = s.run("C:\\App\\setup.exe")
    s.check(box is not None, "restart box")
    s.equal(os.listdir(s.unix(temp)), [], "nothing left below " + TABLE)
    restart(s)
    with open(os.path.join(a.native, "payload", "msvcrt.dll"), "rb") as f:
        s.check(s.read("C:\\windows\\system32\\msvcrt.dll") == f.read(), "replaced after the restart")
    code, box, probes = s.run("C:\\App\\setup.exe")
    s.equal([p["command"] for p in probes], ["C:\\App\\app.exe"], "second run starts the application")
    s.equal(registration(s, "win2k"), None, "registration removed")


japanese_temp_road.native = True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tools", required=True)
    parser.add_argument("--template", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--payload", required=True)
    parser.add_argument("--native", required=True, help="folder of the native runtime copies")
    parser.add_argument("name")
    args = parser.parse_args()
    if args.name == "list":
        print(";".join(SCENARIOS))
        return 0
    native = None
    if getattr(SCENARIOS[args.name], "native", False):
        native = os.path.join(args.native, "old", "msvcrt.dll")
    sandbox = Sandbox(args.name, args.tools, args.template, args.work, native)
    try:
        SCENARIOS[args.name](sandbox, args)
    except Failure as e:
        print("FAILED %s: %s (sandbox kept in %s)" % (args.name, e, sandbox.root))
        return 1
    finally:
        sandbox.close()
    print("%s: %d checks passed" % (args.name, sandbox.checks))
    # A prefix copy is 600 MB: only a failed scenario's is kept for a look.
    shutil.rmtree(sandbox.root, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
