#!/bin/sh
# The whole test suite on a fresh machine: installs what it needs, builds both
# targets, runs the native and the Wine unit tests and each fuzzer briefly, then
# the end-to-end cases that run the real installer under Wine (on a private X
# display).
set -eu
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
scripts/build.sh
# The test build with named failure points, for the fault matrix.
cmake --preset x64-faults >/dev/null
cmake --build --preset x64-faults -j "$(nproc)"

ctest --test-dir build/host --output-on-failure
# Each fuzzer briefly, over its seeds and regression inputs; a finding fails.
scripts/fuzz.sh 15

# Message boxes need a display; CI has none. Xvfb picks a free display and
# writes its number once it accepts clients.
display_file=$(mktemp)
Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$display_file" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$display_file"' EXIT INT TERM
waited=0
while [ ! -s "$display_file" ]; do
  waited=$((waited + 1))
  if [ "$waited" -gt 300 ]; then echo "Xvfb did not start" >&2; exit 1; fi
  sleep 0.1
done
DISPLAY=":$(cat "$display_file")"
export DISPLAY

ctest --test-dir build/x64 --output-on-failure
python3 tests/e2e/run_all.py
