#!/bin/sh
# The whole test suite on a fresh machine: installs what it needs, builds both
# targets, runs the native and the Wine unit tests and each fuzzer briefly, then
# the end-to-end cases that run the real installer under Wine (on private X
# displays): the shipped x86 build and the x64 build on 64-bit Windows, and the
# x86 build on a 32-bit-only Windows. Where this machine cannot run 32-bit
# programs, the x86 runs are left out and the summaries say why.
set -eu
# CI may start us with no standard input; every program below expects one.
exec </dev/null
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
scripts/build.sh
# Whether this machine runs the shipped 32-bit build (the reason when not).
x86_why=$(python3 scripts/x86_check.py) && x86=yes || x86=""
# The test builds with named failure points, for the fault matrix.
for preset in ${x86:+x86-faults} x64-faults; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
done

ctest --test-dir build/host --output-on-failure
python3 -m unittest discover -s tests/packaging -v
# Each fuzzer briefly, over its seeds and regression inputs; a finding fails.
scripts/fuzz.sh 15

# Message boxes need a display; CI has none.
. scripts/xvfb.sh
xvfb=""
trap '[ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true' EXIT INT TERM
start_xvfb 1280x1024x24

ctest --test-dir build/x64 --output-on-failure
if [ -n "$x86" ]; then
  ctest --test-dir build/x86 --output-on-failure
else
  echo "x86: not run: $x86_why (the x86 target unit tests and fault build; its native checks run)"
  ctest --test-dir build/x86 --output-on-failure -L native
fi
python3 tests/e2e/run_all.py
