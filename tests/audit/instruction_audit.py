#!/usr/bin/env python3
"""Refuses a 32-bit Windows program or DLL that holds an instruction its processor
baseline lacks: Windows 95 to NT 4 run on 486, Pentium and K6 processors, which
have no CMOV, no long NOP, no MMX or SSE, and a program holding one dies with an
illegal instruction wherever the compiler put it.

    instruction_audit.py --objdump OBJDUMP [--baseline i486|i386]
        [--timing-in REGEX] FILE[=NAMES] ...

Every code section of FILE is disassembled. NAMES, a link map or an unstripped
twin of FILE, names the functions of a stripped file. CPUID and RDTSC are allowed
only in functions whose name matches --timing-in (the processor code that tests
for them first). Exit 0 when nothing is refused, 1 with one line per function
and instruction otherwise, 2 on bad use.
"""
import argparse
import bisect
import concurrent.futures
import os
import re
import subprocess
import sys

PREFIXES = {"cs", "ds", "es", "ss", "fs", "gs", "data16", "data32", "addr16", "addr32",
            "lock", "rep", "repz", "repe", "repnz", "repne", "notrack", "bnd", "xacquire",
            "xrelease"}

# Pentium Pro and later: never on the baseline, whatever its level.
LATER = {
    "cmpxchg8b", "cmpxchg16b", "sysenter", "sysexit", "syscall", "sysret", "rdpmc",
    "fxsave", "fxrstor", "ldmxcsr", "stmxcsr", "sfence", "lfence", "mfence", "clflush",
    "movnti", "prefetch", "prefetchw", "prefetchnta", "prefetcht0", "prefetcht1",
    "prefetcht2", "emms", "femms", "popcnt", "lzcnt", "tzcnt", "movbe", "crc32",
    "fisttp", "fisttps", "fisttpl", "fisttpll", "rdtscp", "xgetbv", "xsave", "xrstor",
    "andn", "bextr", "blsi", "blsmsk", "blsr", "bzhi", "mulx", "pdep", "pext", "rorx",
    "sarx", "shlx", "shrx", "adcx", "adox", "rdrand", "rdseed", "fcomi", "fcomip",
    "fucomi", "fucomip",
}
# What the 486 added to the 386.
AFTER_386 = {"bswap", "cmpxchg", "xadd", "invlpg", "invd", "wbinvd"}
# Present from the Pentium (or late 486s) on, but only usable after a test.
TIMING = {"cpuid", "rdtsc"}
VECTOR_REGISTER = re.compile(r"%(x|y|z)?mm\d|%k[0-7]\b")
LABEL = re.compile(r"^([0-9a-f]+) <(.+)>:$")


def refused(mnemonic, operands, baseline):
    """Why an instruction is refused, or None."""
    if mnemonic.startswith("cmov") or mnemonic.startswith("fcmov"):
        return mnemonic
    base = re.sub(r"[bwlq]$", "", mnemonic) if mnemonic not in LATER else mnemonic
    if mnemonic in LATER or base in LATER:
        return mnemonic
    # The long NOP (0F 1F) has an operand; the one-byte NOP has none.
    if mnemonic.startswith("nop") and operands:
        return "long nop"
    if VECTOR_REGISTER.search(operands):
        return mnemonic + " (MMX/SSE)"
    if baseline == "i386" and (mnemonic in AFTER_386 or base in AFTER_386):
        return mnemonic
    return None


# Lines worth a closer look: every refused mnemonic and register starts so. A
# disassembly runs to millions of lines; only these few are parsed.
CANDIDATE = re.compile(
    r"^ *([0-9a-f]+):\t[^\t]*\t(.*(?:cmov|fcmov|comi|nop[wl]|cmpxchg|mm|%k[0-7]|cpuid|rdtsc|"
    r"sys|fx|mxcsr|fence|clflush|movnti|prefetch|popcnt|lzcnt|tzcnt|movbe|crc32|fisttp|"
    r"xgetbv|xsave|xrstor|andn|bextr|bls|bzhi|mulx|pdep|pext|rorx|sarx|shlx|shrx|adcx|adox|"
    r"rdrand|rdseed|rdpmc|bswap|xadd|invlpg|invd|wbinvd).*)$", re.M)


def instructions(objdump, path):
    """(address, label, mnemonic, operands) of the instructions in code sections
    that may be refused; label is the disassembly's nearest symbol."""
    out = subprocess.run([objdump, "-d", "-w", path], capture_output=True, text=True)
    if out.returncode != 0:
        raise RuntimeError(f"{path}: {objdump} failed: {out.stderr.strip()}")
    text = out.stdout
    labels = [(m.start(), m.group(1)) for m in re.finditer(r"^[0-9a-f]+ <(.+)>:$", text, re.M)]
    starts = [pos for pos, _ in labels]
    for m in CANDIDATE.finditer(text):
        words = m.group(2).split(None, 1)
        while words and words[0] in PREFIXES:
            words = words[1].split(None, 1) if len(words) > 1 else []
        if not words or words[0].startswith("("):
            continue
        operands = words[1].split("#")[0].strip() if len(words) > 1 else ""
        i = bisect.bisect_right(starts, m.start()) - 1
        yield int(m.group(1), 16), (labels[i][1] if i >= 0 else None), words[0], operands


def names_from(objdump, path):
    """Sorted (address, name) pairs from a link map or an unstripped image."""
    pairs = []
    try:
        with open(path, "rb") as f:
            head = f.read(2)
    except OSError as e:
        raise RuntimeError(f"{path}: {e}")
    if head == b"MZ":
        # An unstripped image: the disassembly's own labels.
        out = subprocess.run([objdump, "-d", "-w", path], capture_output=True, text=True)
        for line in out.stdout.splitlines():
            m = LABEL.match(line)
            if m:
                pairs.append((int(m.group(1), 16), 1, m.group(2)))
    else:
        # A link map: every symbol, and where each input section starts (the
        # exception tables the linker puts into .text among them).
        section = None
        with open(path, errors="replace") as f:
            for line in f:
                m = re.match(r"^\s+0x([0-9a-f]{8,16})\s+([A-Za-z_.?@$][^\s=]*)\s*$", line)
                if m:
                    pairs.append((int(m.group(1), 16), 1, m.group(2)))
                    section = None
                    continue
                m = re.match(r"^ (\.[^\s*]+)(?:\s+0x([0-9a-f]+)\s+0x[0-9a-f]+\s+\S.*)?$", line)
                if m:
                    section = m.group(1)
                    if m.group(2):
                        pairs.append((int(m.group(2), 16), 0, section))
                        section = None
                    continue
                m = re.match(r"^\s+0x([0-9a-f]{8,16})\s+0x[0-9a-f]+\s+\S", line)
                if m and section:
                    pairs.append((int(m.group(1), 16), 0, section))
                section = None
    # At one address a symbol names the code better than its section does.
    pairs.sort()
    return pairs


def name_at(pairs, address):
    i = bisect.bisect_right(pairs, (address, 2, "")) - 1
    return pairs[i][2] if i >= 0 else None


def is_data(name):
    """What the linker keeps in .text that is not code: exception tables and the
    constructor and destructor lists."""
    if not name:
        return False
    if name.startswith(".") and not name.startswith(".text"):
        return True
    return re.fullmatch(r"_*[CD]TOR_LIST__", name) is not None


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--objdump", required=True)
    ap.add_argument("--baseline", choices=["i486", "i386"], default="i486")
    ap.add_argument("--timing-in", default=None,
                    help="regular expression naming the functions allowed CPUID and RDTSC")
    ap.add_argument("files", nargs="+")
    args = ap.parse_args()
    timing_ok = re.compile(args.timing_in) if args.timing_in else None

    def audit(entry):
        """The lines of findings for one file."""
        path, _, names = entry.partition("=")
        findings = {}
        pairs = names_from(args.objdump, names) if names else []
        for address, label, mnemonic, operands in instructions(args.objdump, path):
            where = name_at(pairs, address) if pairs else label
            if is_data(where):
                continue
            why = refused(mnemonic, operands, args.baseline)
            if why is None and mnemonic in TIMING:
                if not (timing_ok and where and timing_ok.search(where)):
                    why = mnemonic
            if why:
                findings.setdefault((where, why), []).append(address)
        return [f"{path}: {where or 'unnamed code'} holds {why} ({len(addresses)}x, first at "
                f"0x{addresses[0]:x}), which a {args.baseline[1:]} processor does not have"
                for (where, why), addresses in sorted(findings.items(), key=lambda kv: kv[1][0])]

    bad = 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        try:
            for lines in pool.map(audit, args.files):
                for line in lines:
                    print(line)
                bad += len(lines)
        except RuntimeError as e:
            print(e, file=sys.stderr)
            return 2
    if bad:
        return 1
    print(f"instruction audit: {len(args.files)} file(s) keep to the {args.baseline}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
