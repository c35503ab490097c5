# Shared locations for the scripts. Caches live outside the clone so that every
# clone on the machine (CI's included) reuses them.
TARNBOLT_ICU_VERSION=72.1
TARNBOLT_CACHE=${TARNBOLT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarnbolt}
# The 32-bit product and the x86-64 vehicle each have their ICU and template prefix.
TARNBOLT_ICU_DIR=$TARNBOLT_CACHE/icu-$TARNBOLT_ICU_VERSION-i686
TARNBOLT_ICU_DIR_X64=$TARNBOLT_CACHE/icu-$TARNBOLT_ICU_VERSION-x86_64
# The libraries 32-bit programs link statically, rebuilt for the 80486
# (build-i486-libraries); the i686 toolchain file takes them from here.
TARNBOLT_I486_LIBS=$TARNBOLT_CACHE/gcc-12.2.0-i486
TARNBOLT_WINE_TEMPLATE=$TARNBOLT_CACHE/wine-template-win32
TARNBOLT_WINE_TEMPLATE_X64=$TARNBOLT_CACHE/wine-template-win64
# Written by setup when the 32-bit Wine packages could not be installed: why, in one line.
TARNBOLT_NO_WINE32=$TARNBOLT_CACHE/no-wine32
# Written by setup when QEMU could not be set up for 32-bit programs: why, in one line.
TARNBOLT_NO_EMULATION=$TARNBOLT_CACHE/no-emulation
export TARNBOLT_NO_WINE32 TARNBOLT_NO_EMULATION
export TARNBOLT_ICU_VERSION TARNBOLT_CACHE TARNBOLT_ICU_DIR TARNBOLT_ICU_DIR_X64 TARNBOLT_I486_LIBS
export TARNBOLT_WINE_TEMPLATE TARNBOLT_WINE_TEMPLATE_X64
export WINEDEBUG=${WINEDEBUG:--all}

# Whether this machine can execute 32-bit x86 code, found by a real try: a
# 96-byte static ELF32 program that only calls exit(0) through int 0x80. Some
# kernels refuse every 32-bit program (ia32 emulation switched off); there QEMU's
# user-mode emulator may run them (scripts/lib/setup-emulation), and the try
# answers yes either way. For the set-up test, TARNBOLT_RUNS_32BIT=yes plays a
# kernel that runs them, =no one that runs none, =emulated one that runs them only
# once QEMU is registered in the stand-in binfmt folder.
tarnbolt_runs_32bit() {
  local probe rc
  case ${TARNBOLT_RUNS_32BIT:-} in
    yes) return 0 ;;
    no) return 1 ;;
    emulated) tarnbolt_32bit_emulated; return ;;
  esac
  probe=$(mktemp) || return 1
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80\x90\x90\x90' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
  rc=$?
  rm -f "$probe"
  return $rc
}

# Whether 32-bit programs go through QEMU: binfmt_misc's handlers come before the
# kernel's own ELF loader, so an enabled registration for i386 means emulation.
tarnbolt_32bit_emulated() {
  local dir=${TARNBOLT_BINFMT_DIR:-/proc/sys/fs/binfmt_misc}
  if [ "${TARNBOLT_RUNS_32BIT:-}" = emulated ]; then
    grep -qs '^:qemu-i386:M::.*:F$' "$dir/register"
    return
  fi
  [ -f "$dir/qemu-i386" ] && grep -qx enabled "$dir/qemu-i386"
}

# How the 32-bit product runs here, in words for the summaries.
tarnbolt_32bit_how() {
  local qemu
  if tarnbolt_32bit_emulated; then
    qemu=$(sed -n 's/^interpreter //p' "${TARNBOLT_BINFMT_DIR:-/proc/sys/fs/binfmt_misc}/qemu-i386" 2>/dev/null)
    echo "emulated by QEMU $("$qemu" --version 2>/dev/null | sed -n 's/^qemu-i386 version \([^ ]*\).*/\1/p') ($qemu)"
  else
    echo native
  fi
}

# Why the 32-bit product's tests cannot run here, in one line; nothing where they can.
tarnbolt_no32_reason() {
  if ! tarnbolt_runs_32bit; then
    if [ -s "$TARNBOLT_NO_EMULATION" ]; then
      echo "this machine's kernel cannot execute 32-bit x86 programs, and $(cat "$TARNBOLT_NO_EMULATION")"
    else
      echo "this machine's kernel cannot execute 32-bit x86 programs"
    fi
  elif [ -s "$TARNBOLT_NO_WINE32" ]; then
    cat "$TARNBOLT_NO_WINE32"
  elif ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
    echo "the 32-bit Wine packages are not installed"
  fi
}

# Which Windows builds run their tests here: "win32", "x64" or "both".
# TARNBOLT_WINDOWS chooses; by default a machine that runs 32-bit programs tests
# both (the x64 road costs a few minutes and keeps the vehicle honest), one that
# cannot tests the x64 vehicle only.
tarnbolt_windows_road() {
  local want=${TARNBOLT_WINDOWS:-}
  local no32
  no32=$(tarnbolt_no32_reason)
  if [ -n "$no32" ]; then
    case "$want" in
      win32|both) echo "tarnbolt: TARNBOLT_WINDOWS=$want cannot be done ($no32); testing x64 only" >&2 ;;
    esac
    echo x64
    return
  fi
  case "$want" in
    win32|x64|both) echo "$want" ;;
    "") echo both ;;
    *) echo "tarnbolt: TARNBOLT_WINDOWS must be win32, x64 or both (not '$want')" >&2; return 1 ;;
  esac
}

# Wine's loader for a prefix architecture: the wine script would pick the 32-bit
# loader whenever it is installed.
tarnbolt_wine_for() {
  case "$1" in
    win64) echo /usr/lib/wine/wine64 ;;
    *) echo wine ;;
  esac
}

# Makes source packages fetchable: deb-src entries beside the configured suites,
# added only when the given package's source cannot be had already.
tarnbolt_ensure_deb_src() {
  apt-get source --print-uris -qq "$1" >/dev/null 2>&1 && return 0
  echo "setup: adding deb-src entries for the configured suites" >&2
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    case "$f" in *tarnbolt-deb-src.sources) continue ;; esac
    grep -q '^Types:.*deb-src' "$f" && continue
    sed -n '/^Types:/s/.*/Types: deb-src/;p' "$f"
    echo
  done > /etc/apt/sources.list.d/tarnbolt-deb-src.sources
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list > /etc/apt/sources.list.d/tarnbolt-deb-src.list
  fi
  # An index that fails (a mirror mid-sync) matters only if the source cannot be had.
  apt-get update -qq -o Acquire::Retries=3 >&2 \
    || echo "setup: apt-get update reported a failed index; trying the source all the same" >&2
}
