"""The Wine scenario bench: a fresh copy of the template prefix per scenario, the
launcher and its helpers placed in it, runs with an X server for message boxes."""

import os
import re
import shutil
import subprocess
import time


class Failure(Exception):
    pass


def unescape_registry_text(text):
    """A quoted text of Wine's registry files: backslash escapes, and "\\0" between
    the strings of a multi-string (answered as "|")."""
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            nxt = text[i + 1]
            out.append({"0": "|", "n": "\n", "r": "\r", "t": "\t"}.get(nxt, nxt))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out).rstrip("|")


class Sandbox:
    # Where message boxes get their frame and title bar: Wine's own desktop window
    # draws them (the bare X server runs no window manager).
    DESKTOP_SIZE = "1024x768"

    def __init__(self, name, tools, template, work, native_runtime=None, desktop=False):
        self.tools = tools          # folder with tarnbolt.exe, probe.exe, boxwatch.exe, ...
        self.root = os.path.join(work, name)
        shutil.rmtree(self.root, ignore_errors=True)
        os.makedirs(self.root)
        self.prefix = os.path.join(self.root, "prefix")
        subprocess.run(["cp", "-a", template, self.prefix], check=True)
        # A 64-bit template (the x86-64 vehicle) needs the 64-bit loader: the wine
        # script picks the 32-bit one wherever it is installed.
        with open(os.path.join(self.prefix, "system.reg"), encoding="latin-1") as f:
            self.arch = "win64" if "\n#arch=win64" in f.read(4096) else "win32"
        self.loader = "/usr/lib/wine/wine64" if self.arch == "win64" else "wine"
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEARCH=self.arch,
                        WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d",
                        LC_ALL="C.UTF-8", LANG="C.UTF-8")
        self.checks = 0
        self.desktop = desktop
        if desktop:
            self.use_virtual_desktop()
        if native_runtime:
            # A stand-in for an installed runtime; programs that load it natively
            # (native_runtime_for) answer its own version to version queries.
            shutil.copyfile(native_runtime, self.system32("msvcrt.dll"))

    def use_virtual_desktop(self):
        """Every program of the prefix runs on one desktop of its own, in a window
        that Wine draws with frames and title bars. Written into the copied registry
        before anything starts: a running desktop is not changed afterwards."""
        with open(os.path.join(self.prefix, "user.reg"), "a", encoding="latin-1") as f:
            f.write('\n[Software\\\\Wine\\\\Explorer]\n"Desktop"="Default"\n'
                    '\n[Software\\\\Wine\\\\Explorer\\\\Desktops]\n"Default"="%s"\n'
                    % self.DESKTOP_SIZE)

    # --- paths -------------------------------------------------------------
    def unix(self, windows_path):
        """C:\\a\\b -> <prefix>/drive_c/a/b"""
        m = re.match(r"^([A-Za-z]):\\?(.*)$", windows_path)
        assert m and m.group(1).lower() == "c", windows_path
        rest = m.group(2).replace("\\", "/")
        return os.path.join(self.prefix, "drive_c", rest)

    def system32(self, name=""):
        return os.path.join(self.prefix, "drive_c", "windows", "system32", name)

    def temp_dir(self):
        with open(os.path.join(self.prefix, "user.reg"), encoding="latin-1") as f:
            m = re.search(r'^"TEMP"="([^"]*)"', f.read(), re.MULTILINE)
        return self.unix(m.group(1).replace("\\\\", "\\"))

    # --- placing things ----------------------------------------------------
    def place(self, tool, windows_path):
        target = self.unix(windows_path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(os.path.join(self.tools, tool), target)
        return target

    def write(self, windows_path, data):
        target = self.unix(windows_path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as f:
            f.write(data if isinstance(data, bytes) else data.encode("latin-1"))
        return target

    def settings(self, windows_path, sections):
        """Writes a profile file from {section: {key: value}} with CR LF lines."""
        lines = []
        for section, values in sections.items():
            lines.append("[%s]" % section)
            lines += ["%s=%s" % kv for kv in values.items()]
        self.write(windows_path, "\r\n".join(lines) + "\r\n")

    def wine(self, *args, cwd=None, timeout=120):
        # Output goes to a file, not a pipe: a wineserver started by this call keeps
        # what it inherited open long after the program ended.
        log = os.path.join(self.root, "wine.log")
        with open(log, "ab") as out:
            result = subprocess.run([self.loader] + list(args), env=self.env, cwd=cwd or self.prefix,
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=out,
                                    timeout=timeout)
        with open(log, "rb") as f:
            result.stdout = f.read()
        return result

    def set_windows_version(self, exe_name, version):
        r = self.wine("reg", "add", "HKCU\\Software\\Wine\\AppDefaults\\" + exe_name,
                      "/v", "Version", "/d", version, "/f")
        if r.returncode != 0:
            raise Failure("reg add failed: %s" % r.stdout.decode(errors="replace"))

    # --- running -----------------------------------------------------------
    def run(self, windows_exe, cwd="C:\\Work", picture=None, prepare=None, settle=True):
        """Runs the program with a box watcher beside it; answers (exit code, box, probes).
        With `picture` (a Windows path) the watcher saves the box as a BMP there,
        with its frame and title: the sandbox must have been made with desktop=True.
        `prepare` is called once the prefix is up, just before the program starts:
        what it lays out (a WININIT.INI, pending renames) is not consumed by the
        boot every start of a prefix is. With settle=False it does not wait for the
        prefix's last process to end (one that keeps running holds the session open:
        no start of Windows between runs)."""
        if picture and not self.desktop:
            raise Failure("a picture of a box needs the sandbox's virtual desktop (desktop=True)")
        for stale in ("C:\\box.txt", "C:\\done.flag", "C:\\probe.txt"):
            if os.path.exists(self.unix(stale)):
                os.remove(self.unix(stale))
        self.place("boxwatch.exe", "C:\\tools\\boxwatch.exe")
        workdir = self.unix(cwd)
        os.makedirs(workdir, exist_ok=True)
        watch = [self.loader, "C:\\tools\\boxwatch.exe", "C:\\box.txt", "C:\\done.flag"]
        if picture:
            watch.append(picture)
        watcher = subprocess.Popen(watch, env=self.env, cwd=self.prefix,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            if prepare:
                self.wine("cmd", "/c", "exit")  # the watcher's start has booted the prefix
                prepare()
            launched = self.wine(windows_exe, cwd=workdir)
        finally:
            self.write("C:\\done.flag", "")
            watcher.wait(timeout=150)
        # The started application runs on its own: wait for every process of the prefix.
        if settle:
            subprocess.run(["wineserver", "-w"], env=self.env, timeout=120)
        with open(self.unix("C:\\box.txt"), encoding="latin-1") as f:
            box_text = f.read()
        box = None
        if box_text.strip() != "none":
            box = dict(line.split("=", 1) for line in box_text.splitlines() if "=" in line)
        probes = []
        if os.path.exists(self.unix("C:\\probe.txt")):
            with open(self.unix("C:\\probe.txt"), encoding="latin-1") as f:
                record = {}
                for line in f.read().splitlines():
                    key, _, value = line.partition("=")
                    record[key] = value
                    if key == "directory":
                        probes.append(record)
                        record = {}
        return launched.returncode, box, probes

    def native_runtime_for(self, exe_name):
        """Only this program loads the system directory's msvcrt.dll: Wine's own
        processes keep theirs, so nothing else holds the file when a restart
        replaces it."""
        r = self.wine("reg", "add", "HKCU\\Software\\Wine\\AppDefaults\\%s\\DllOverrides" % exe_name,
                      "/v", "msvcrt", "/d", "native", "/f")
        if r.returncode != 0:
            raise Failure("reg add failed")

    def dll_override(self, exe_name, library, order):
        """The load order of one library for one program (as 'native,builtin')."""
        r = self.wine("reg", "add", "HKCU\\Software\\Wine\\AppDefaults\\%s\\DllOverrides" % exe_name,
                      "/v", library, "/d", order, "/f")
        if r.returncode != 0:
            raise Failure("reg add failed")

    def saved_registry_value(self, hive, key, name):
        """A value as the stopped wineserver saved it (system.reg or user.reg),
        without starting Wine: every start of a prefix is a boot that carries out
        pending renames. Strings as text, multi-strings joined with '|'."""
        path = os.path.join(self.prefix, hive)
        with open(path, encoding="latin-1") as f:
            lines = f.read().splitlines()
        want = "[" + key.replace("\\", "\\\\").lower() + "]"
        inside = False
        i = 0
        while i < len(lines):
            line = lines[i]
            if line.startswith("["):
                inside = line.split("]")[0].lower() + "]" == want
            elif inside and line.lower().startswith('"%s"=' % name.lower()):
                data = line.split("=", 1)[1]
                while data.endswith("\\") and i + 1 < len(lines):
                    i += 1
                    data = data[:-1] + lines[i].strip()
                if data.startswith("hex(7):") or data.startswith("hex(2):"):
                    raw = bytes(int(h, 16) for h in data[7:].split(",") if h)
                    return raw.decode("utf-16-le").rstrip("\0").replace("\0", "|")
                for prefix in ('"', 'str(2):"', 'str(7):"'):
                    if data.startswith(prefix):
                        return unescape_registry_text(data[len(prefix):-1])
                return data
            i += 1
        return None

    def reg_query(self, key, value):
        """The data of a registry value as reg.exe prints it, or None."""
        r = self.wine("reg", "query", key, "/v", value)
        for line in r.stdout.decode("latin-1").splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[0].lower() == value.lower() and parts[1].startswith("REG_"):
                return parts[2] if len(parts) > 2 else ""
        return None

    def read(self, windows_path):
        path = self.unix(windows_path)
        if not os.path.exists(path):
            return None
        with open(path, "rb") as f:
            return f.read()

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    # --- assertions ----------------------------------------------------------
    def check(self, condition, message):
        self.checks += 1
        if not condition:
            raise Failure(message)

    def equal(self, actual, expected, what):
        self.check(actual == expected, "%s: expected %r, got %r" % (what, expected, actual))
