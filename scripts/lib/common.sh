# Shared locations for the scripts. Caches live outside the clone so that every
# clone on the machine (CI's included) reuses them.
TARNBOLT_ICU_VERSION=72.1
TARNBOLT_CACHE=${TARNBOLT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarnbolt}
TARNBOLT_ICU_DIR=$TARNBOLT_CACHE/icu-$TARNBOLT_ICU_VERSION-i686
TARNBOLT_WINE_TEMPLATE=$TARNBOLT_CACHE/wine-template-win32
export TARNBOLT_ICU_VERSION TARNBOLT_CACHE TARNBOLT_ICU_DIR TARNBOLT_WINE_TEMPLATE
export WINEDEBUG=${WINEDEBUG:--all}
