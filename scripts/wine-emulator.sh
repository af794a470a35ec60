#!/bin/sh
# Runs one Windows program under Wine for ctest, in a 64-bit prefix of the
# build's own (booted on first use; WINEPREFIX may name another), with the
# loader of the program's machine: 32-bit programs start with the 32-bit one.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
# No Mono or Gecko prompts, and no menu entries written into the Unix home.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEPREFIX="${WINEPREFIX:-$here/../build/wine-ctest}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  flock "$WINEPREFIX/.boot-lock" sh -c '[ -f "$WINEPREFIX/system.reg" ] || { /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1; wineserver -w; }'
fi
pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$1" | tr -d ' ')
loader=/usr/lib/wine/wine64
[ "$machine" != 14c ] || loader=/usr/lib/wine/wine
exec "$loader" "$@"
