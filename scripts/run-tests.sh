#!/bin/sh
# The whole test suite on a fresh machine: installs what it needs, builds both
# targets, runs the native and the Wine unit tests and each fuzzer briefly, then
# the end-to-end cases that run the real installer under Wine (on a private X
# display).
set -eu
# CI may start us with no standard input; every program below expects one.
exec </dev/null
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
scripts/build.sh
# The test build with named failure points, for the fault matrix.
cmake --preset x64-faults >/dev/null
cmake --build --preset x64-faults -j "$(nproc)"

ctest --test-dir build/host --output-on-failure
# Each fuzzer briefly, over its seeds and regression inputs; a finding fails.
scripts/fuzz.sh 15

# Message boxes need a display; CI has none.
. scripts/xvfb.sh
xvfb=""
trap '[ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true' EXIT INT TERM
start_xvfb 1280x1024x24

ctest --test-dir build/x64 --output-on-failure
python3 tests/e2e/run_all.py
