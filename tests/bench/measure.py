"""Measures the launcher side by side with its yardsticks in one Wine prefix and
prints a table: launch overhead against a bare CreateProcessA program, the
processor-speed measurements against the rate the host reports, and the size of
the shipped launcher with and without its payload. Run by scripts/bench."""

import argparse
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from bench import Failure, Sandbox  # noqa: E402

LAUNCHER = "C:\\App\\setup.exe"
APP = "C:\\App\\app.exe"
BARE = "C:\\App\\bare.exe"
PROBE = "C:\\App\\probe.exe"
SPEED = "C:\\tools\\speed_bench.exe"
FILES = "C:\\tools\\file_manager_bench.exe"


# The launch road should cost what starting a program costs: at most this ratio
# of the medians, the launcher against a bare CreateProcessA program.
LAUNCH_GOAL = 1.10


def launch_settings(run):
    # Wine's msvcrt.dll is 7.0.2600.2180: this version is met, so the launch road is taken.
    return {"General": {"Run": run, "PreferredVersion": "6.1.8637.0"}}


class Bench:
    def __init__(self, args):
        self.args = args
        self.box = Sandbox("bench", os.path.abspath(args.tools), args.template,
                           os.path.abspath(args.work))
        self.server = False
        self.watcher = None

    # --- the prefix's processes --------------------------------------------
    def start(self):
        # A persistent server: every run finds Wine's services and the desktop
        # already up, as a program finds Windows.
        subprocess.run(["wineserver", "-p"], env=self.box.env, check=True)
        self.server = True
        # The box watcher dismisses any box a broken run would show (and
        # reports it); being a program on the desktop, it also keeps the desktop
        # from closing between runs.
        self.box.place("boxwatch.exe", "C:\\tools\\boxwatch.exe")
        for stale in ("C:\\box.txt", "C:\\done.flag"):
            if os.path.exists(self.box.unix(stale)):
                os.remove(self.box.unix(stale))
        self.watcher = subprocess.Popen(
            [self.box.loader, "C:\\tools\\boxwatch.exe", "C:\\box.txt", "C:\\done.flag"],
            env=self.box.env, cwd=self.box.prefix, stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def stop(self):
        box_seen = None
        if self.watcher:
            self.box.write("C:\\done.flag", "")
            try:
                self.watcher.wait(timeout=30)
            except subprocess.TimeoutExpired:
                self.watcher.kill()
            text = self.box.read("C:\\box.txt")
            if text and text.strip() not in (b"none", b""):
                box_seen = text.decode("latin-1")
            self.watcher = None
        if self.server:
            subprocess.run(["wineserver", "-k"], env=self.box.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            self.server = False
        return box_seen

    def live(self, windows_path):
        """Processes of the prefix still running the program (zombies do not count)."""
        found = []
        for pid in os.listdir("/proc"):
            if not pid.isdigit():
                continue
            try:
                with open("/proc/%s/cmdline" % pid, "rb") as f:
                    command = f.read().split(b"\0")[0].decode("latin-1")
                with open("/proc/%s/stat" % pid) as f:
                    state = f.read().rsplit(")", 1)[1].split()[0]
                with open("/proc/%s/environ" % pid, "rb") as f:
                    ours = ("WINEPREFIX=" + self.box.prefix).encode() in f.read().split(b"\0")
            except OSError:
                continue
            if ours and state != "Z" and command.lower() == windows_path.lower():
                found.append(pid)
        return found

    def wait_gone(self, windows_path, timeout=20):
        deadline = time.monotonic() + timeout
        while self.live(windows_path):
            if time.monotonic() > deadline:
                raise Failure("%s did not end" % windows_path)
            time.sleep(0.005)

    def timed(self, *command, timeout=60):
        """Seconds from starting the program to its end."""
        # Wine's own messages go to a file, so that a run that fails says why.
        log = os.path.join(self.box.root, "timed.log")
        with open(log, "wb") as errors:
            start = time.perf_counter()
            process = subprocess.Popen([self.box.loader] + list(command), env=self.box.env,
                                       cwd=self.box.unix("C:\\App"), stdin=subprocess.DEVNULL,
                                       stdout=subprocess.DEVNULL, stderr=errors)
            # A blocking wait: Popen.wait with a time-out polls, in steps of up to 50 ms.
            guard = threading.Timer(timeout, process.kill)
            guard.start()
            code = process.wait()
            elapsed = time.perf_counter() - start
            guard.cancel()
        if code < 0:
            raise Failure("%s did not end within %d s (a box?)" % (command[0], timeout))
        if code != 0:
            with open(log, "rb") as f:
                said = f.read()[-2000:].decode("latin-1")
            raise Failure("%s ended with %d; wine said:\n%s" % (command[0], code, said))
        return elapsed

    # --- the figures -------------------------------------------------------
    def launch(self):
        b = self.box
        b.place("tarnbolt.exe", LAUNCHER)
        b.place("bench_app.exe", APP)
        b.place("bare_launch.exe", BARE)
        b.place("probe.exe", PROBE)
        # Both roads once with the probe as the main application: the launcher
        # must take the launch road, and both must start the same program.
        b.settings("C:\\App\\setup.ini", launch_settings("probe.exe"))
        self.timed(LAUNCHER)
        self.wait_gone(PROBE)
        self.timed(BARE, PROBE)
        self.wait_gone(PROBE)
        probes = (b.read("C:\\probe.txt") or b"").decode("latin-1")
        modules = re.findall(r"^module=(.*)$", probes, re.MULTILINE)
        if modules != [PROBE, PROBE]:
            raise Failure("the launch road was not taken: probe records %r" % modules)

        b.settings("C:\\App\\setup.ini", launch_settings("app.exe"))
        launcher, bare = [], []
        for i in range(self.args.warmup + self.args.runs):
            # Alternating, so that a drift of the machine falls on both alike.
            for times, command in ((launcher, (LAUNCHER,)), (bare, (BARE, APP))):
                elapsed = self.timed(*command)
                self.wait_gone(APP)
                if i >= self.args.warmup:
                    times.append(elapsed)
        return launcher, bare

    def speed(self):
        b = self.box
        b.place("speed_bench.exe", SPEED)
        log = os.path.join(b.root, "speed.txt")
        with open(log, "wb") as out:
            r = subprocess.run([b.loader, SPEED, str(self.args.speed_calls)], env=b.env,
                               cwd=b.prefix, stdin=subprocess.DEVNULL, stdout=out,
                               stderr=subprocess.DEVNULL, timeout=120)
        with open(log, encoding="latin-1") as f:
            lines = f.read().splitlines()
        if r.returncode != 0:
            raise Failure("speed_bench ended with %d" % r.returncode)
        fields = [dict(kv.split("=", 1) for kv in line.split()[1:]) for line in lines]
        kinds = [line.split()[0] for line in lines]
        pick = lambda kind, key: [float(f[key]) for k, f in zip(kinds, fields) if k == kind]
        return {
            "registry": pick("registry", "mhz")[0],
            "measure_mhz": statistics.median(pick("measure", "raw")),
            "measure_rounded": statistics.median(pick("measure", "rounded")),
            "measure_ms": statistics.median(pick("measure", "ms")),
            "timeout_mhz": statistics.median(pick("timeout", "raw")),
            "timeout_ms": statistics.median(pick("timeout", "ms")),
            "measure_all": pick("measure", "raw"),
            "timeout_all": pick("timeout", "raw"),
        }


    def files(self):
        b = self.box
        b.place("file_manager_bench.exe", FILES)
        r = subprocess.run([b.loader, FILES, str(self.args.file_rounds)], env=b.env,
                           cwd=b.prefix, stdin=subprocess.DEVNULL, capture_output=True,
                           timeout=600)
        if r.returncode != 0:
            raise Failure("file_manager_bench ended with %d" % r.returncode)
        lines = r.stdout.decode("latin-1").splitlines()
        fields = [(line.split()[0], dict(kv.split("=", 1) for kv in line.split()[1:]))
                  for line in lines if line.strip()]
        if any(f.get("answer") == "0" for _, f in fields):
            raise Failure("file_manager_bench: an operation answered false")
        tree = [f for k, f in fields if k == "tree"][0]
        times = {kind: statistics.median(float(f["ms"]) for k, f in fields if k == kind)
                 for kind in ("list", "refused", "copy", "move", "delete")}
        return tree, times


def host_mhz():
    with open("/proc/cpuinfo") as f:
        rates = [float(m) for m in re.findall(r"^cpu MHz\s*:\s*([0-9.]+)", f.read(), re.MULTILINE)]
    return statistics.mean(rates) if rates else 0.0


def host_cpu():
    with open("/proc/cpuinfo") as f:
        m = re.search(r"^model name\s*:\s*(.*)$", f.read(), re.MULTILINE)
    return m.group(1).strip() if m else "unknown processor"


def section_size(objdump, exe, name):
    out = subprocess.run([objdump, "-h", exe], check=True, capture_output=True, text=True).stdout
    for line in out.splitlines():
        parts = line.split()
        if len(parts) > 2 and parts[1] == name:
            return int(parts[2], 16)
    return 0


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--tools", required=True)
    p.add_argument("--template", required=True)
    p.add_argument("--work", required=True)
    p.add_argument("--payload", required=True)
    p.add_argument("--objdump", required=True)
    p.add_argument("--build", required=True, help="what was measured, for the table header")
    p.add_argument("--runs", type=int, default=20)
    p.add_argument("--warmup", type=int, default=2)
    p.add_argument("--speed-calls", type=int, default=5)
    p.add_argument("--file-rounds", type=int, default=5)
    args = p.parse_args()
    # A terminated bench still stops what it started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))

    exe = os.path.join(args.tools, "tarnbolt.exe")
    bare_exe = os.path.join(args.tools, "tarnbolt_no_payload.exe")
    with_payload, without_payload = os.path.getsize(exe), os.path.getsize(bare_exe)
    rsrc = section_size(args.objdump, exe, ".rsrc")
    payload_files = sum(os.path.getsize(os.path.join(args.payload, n))
                        for n in ("msvcrt.dll", "msvcp60.dll", "msvcirt.dll", "comctl32.dll"))

    load = os.getloadavg()[0]  # before the bench adds its own
    bench = Bench(args)
    try:
        bench.start()
        launcher, bare = bench.launch()
        speed = bench.speed()
        tree, file_ms = bench.files()
    finally:
        box_seen = bench.stop()
    if box_seen:
        raise Failure("a box appeared during the bench:\n" + box_seen)
    shutil.rmtree(bench.box.root, ignore_errors=True)

    host = host_mhz()
    error = lambda mhz: 100.0 * (mhz - host) / host if host else float("nan")
    verdict = lambda ok: "met" if ok else "NOT met"
    launcher_ms, bare_ms = statistics.median(launcher) * 1000, statistics.median(bare) * 1000
    ratio = launcher_ms / bare_ms
    m_err, t_err = error(speed["measure_mhz"]), error(speed["timeout_mhz"])
    rows = [
        ("launch: launcher, median of %d" % args.runs,
         "%.1f ms (fastest %.1f)" % (launcher_ms, min(launcher) * 1000), ""),
        ("launch: bare CreateProcessA, median of %d" % args.runs,
         "%.1f ms (fastest %.1f)" % (bare_ms, min(bare) * 1000), ""),
        ("launch: ratio of the medians", "%.2fx (fastest %.2fx)" % (ratio, min(launcher) / min(bare)),
         "<= %.2fx: %s" % (LAUNCH_GOAL, verdict(ratio <= LAUNCH_GOAL))),
        ("speed: host rate (/proc/cpuinfo; registry ~MHz)",
         "%.1f MHz; %d MHz" % (host, speed["registry"]), ""),
        ("speed: MeasureProcessorSpeed(0), median of %d" % args.speed_calls,
         "%d MHz, %+.2f %%, %.1f ms/call" % (speed["measure_mhz"], m_err, speed["measure_ms"]),
         "2 %%, 100 ms: %s" % verdict(abs(m_err) <= 2 and speed["measure_ms"] < 100)),
        ("speed: MeasureProcessorSpeedWithTimeout(5), median of %d" % args.speed_calls,
         "%d MHz, %+.2f %%, %.1f ms/call" % (speed["timeout_mhz"], t_err, speed["timeout_ms"]),
         "2 %%, 100 ms: %s" % verdict(abs(t_err) <= 2 and speed["timeout_ms"] < 100)),
        ("files: tree of %s folders, %s files; median of %d" % (
            tree["folders"], tree["files"], args.file_rounds), "", ""),
    ] + [
        ("files: " + what, "%.1f ms" % file_ms[kind], "")
        for kind, what in (("list", "ListEntries, recursive"),
                           ("refused", "MoveDirectory into its own tree (checks only)"),
                           ("copy", "CopyDirectory"), ("move", "MoveDirectory"),
                           ("delete", "DeleteDirectory"))
    ] + [
        ("size: tarnbolt.exe with payload", "%d bytes" % with_payload, ""),
        ("size: without payload (built without resources)", "%d bytes" % without_payload, ""),
        ("size: difference (.rsrc section %d bytes; 4 DLLs %d bytes)" % (rsrc, payload_files),
         "%d bytes" % (with_payload - without_payload), ""),
    ]
    print("Tarnbolt bench: %s; %s, %d cores, %s, load %.1f before" % (
        args.build, subprocess.run(["wine", "--version"], capture_output=True,
                                   text=True).stdout.strip(), os.cpu_count(), host_cpu(),
        load))
    width = max(len(r[0]) for r in rows)
    value_width = max(len(r[1]) for r in rows)
    for name, value, goal in rows:
        print("  %-*s  %-*s  %s" % (width, name, value_width, value, goal))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Failure as e:
        print("bench: %s" % e, file=sys.stderr)
        sys.exit(1)
