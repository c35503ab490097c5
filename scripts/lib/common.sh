# Shared locations for the scripts. Caches live outside the clone so that every
# clone on the machine (CI's included) reuses them.
TARNBOLT_ICU_VERSION=72.1
TARNBOLT_CACHE=${TARNBOLT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarnbolt}
# The 32-bit product and the x86-64 vehicle each have their ICU and template prefix.
TARNBOLT_ICU_DIR=$TARNBOLT_CACHE/icu-$TARNBOLT_ICU_VERSION-i686
TARNBOLT_ICU_DIR_X64=$TARNBOLT_CACHE/icu-$TARNBOLT_ICU_VERSION-x86_64
TARNBOLT_WINE_TEMPLATE=$TARNBOLT_CACHE/wine-template-win32
TARNBOLT_WINE_TEMPLATE_X64=$TARNBOLT_CACHE/wine-template-win64
# Written by setup when the 32-bit Wine packages could not be installed: why, in one line.
TARNBOLT_NO_WINE32=$TARNBOLT_CACHE/no-wine32
export TARNBOLT_NO_WINE32
export TARNBOLT_ICU_VERSION TARNBOLT_CACHE TARNBOLT_ICU_DIR TARNBOLT_ICU_DIR_X64
export TARNBOLT_WINE_TEMPLATE TARNBOLT_WINE_TEMPLATE_X64
export WINEDEBUG=${WINEDEBUG:--all}

# Whether this machine can execute 32-bit x86 code, found by a real try: a
# 96-byte static ELF32 program that only calls exit(0) through int 0x80. Some
# kernels refuse every 32-bit program (ia32 emulation switched off).
tarnbolt_runs_32bit() {
  local probe rc
  probe=$(mktemp) || return 1
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80\x90\x90\x90' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
  rc=$?
  rm -f "$probe"
  return $rc
}

# Why the 32-bit product's tests cannot run here, in one line; nothing where they can.
tarnbolt_no32_reason() {
  if [ "${TARNBOLT_RUNS_32BIT:-}" = no ] || ! tarnbolt_runs_32bit; then
    echo "this machine's kernel cannot execute 32-bit x86 programs"
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
