#!/bin/sh
# The benchmark (not a test): builds a package the size of the shipped one from
# Wine's DLLs, an installer carrying it (preset x64-bench, never shipped), the
# benchmark tool and an NSIS installer of the same files, then measures them
# side by side and prints the table (also left in build/bench/results.md).
#
#   scripts/benchmark.sh [--runs N]
#
# Measure on a quiet machine: the figures are wall-clock times.
set -eu
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
jobs=$(nproc)

cmake --preset host >/dev/null
cmake --build --preset host -j "$jobs" --target make_package zlib_compress StampConsistencyDigest bench_tool
python3 benchmarks/payload.py build/bench
cmake --preset x64-bench >/dev/null
cmake --build --preset x64-bench -j "$jobs"
# Compressing takes a while: only when the script changed (payload.py rewrites it only then).
if [ ! build/bench/nsis-setup.exe -nt build/bench/setup.nsi ]; then
  makensis -V2 build/bench/setup.nsi
fi

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
python3 benchmarks/run.py "$@"
