#!/bin/sh
# Runs one Windows program under Wine for ctest, in a prefix of the build's own
# (booted on first use; WINEPREFIX may name another).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
# No Mono or Gecko prompts, and no menu entries written into the Unix home.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEPREFIX="${WINEPREFIX:-$here/../build/wine-ctest}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  flock "$WINEPREFIX/.boot-lock" sh -c '[ -f "$WINEPREFIX/system.reg" ] || { /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1; wineserver -w; }'
fi
exec /usr/lib/wine/wine64 "$@"
