#!/usr/bin/env python3
"""A report the tool cannot write ends with exit code 2: standard output on a full
disk (/dev/full), and a pipe whose reader has gone. Arguments: the command that
runs the tool (the Windows build through wine-run)."""
import os
import subprocess
import sys

command = sys.argv[1:] + ["--version"]
failures = []

with open("/dev/full", "wb") as full:
    code = subprocess.run(command, stdout=full, stderr=subprocess.DEVNULL).returncode
if code != 2:
    failures.append(f"a full disk: exit code {code}")

read, write = os.pipe()
os.close(read)
code = subprocess.run(command, stdout=write, stderr=subprocess.DEVNULL).returncode
os.close(write)
if code != 2:
    failures.append(f"a closed pipe: exit code {code}")

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
