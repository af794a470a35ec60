#!/bin/sh
# The benchmark (not a test): builds a package the size of the shipped one from
# Wine's DLLs, installers carrying it (presets x64-bench and x86-bench, never
# shipped), the benchmark tool and NSIS installers of the same files, then
# measures each of our builds beside the NSIS peer of its architecture and
# prints the tables (also left in build/bench/results-x64.md and -x86.md). The
# x86 one only where this machine runs 32-bit programs; elsewhere it says why.
#
#   scripts/benchmark.sh [--runs N]
#
# Measure on a quiet machine: the figures are wall-clock times.
set -eu
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
jobs=$(nproc)
arches=x64
if why=$(python3 scripts/x86_check.py); then arches="x64 x86"; fi

cmake --preset host >/dev/null
cmake --build --preset host -j "$jobs" --target make_package zlib_compress StampConsistencyDigest bench_tool
python3 benchmarks/payload.py build/bench
for arch in $arches; do
  cmake --preset "$arch-bench" >/dev/null
  cmake --build --preset "$arch-bench" -j "$jobs"
  # Compressing takes a while: only when the script changed (payload.py rewrites it only then).
  if [ ! "build/bench/nsis-setup-$arch.exe" -nt "build/bench/setup-$arch.nsi" ]; then
    makensis -V2 "build/bench/setup-$arch.nsi"
  fi
done

xvfb=""
cleanup() {
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  # Wine's desktop integration must not leak onto the host.
  rm -rf "$HOME/.local/share/applications/wine" "$HOME"/.config/menus/applications-merged/wine-* "$HOME/Velantrix.lnk"
}
trap cleanup EXIT

# The installations under Wine want a display; a private one when there is none.
if [ -z "${DISPLAY:-}" ]; then
  . scripts/xvfb.sh
  start_xvfb 1024x768x24
fi
for arch in $arches; do
  echo "== $arch build against the $arch NSIS peer"
  python3 benchmarks/run.py --arch "$arch" "$@"
done
[ "$arches" != x64 ] || echo "== x86: not run: $why"
