#!/bin/sh
# Builds the host tools, then the installer for both Windows targets:
# build/x64/VelantrixInstaller.exe (tested under Wine) and
# build/x86/VelantrixInstaller.exe (shipped).
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc)
for preset in host x64 x86; do
  cmake --preset "$preset" >/dev/null
  only=""
  # Where this machine cannot run 32-bit programs nothing would run the x86
  # build's target tests and probes: the installer alone is built.
  if [ "$preset" = x86 ] && ! python3 scripts/x86_check.py >/dev/null 2>&1; then
    only="--target VelantrixInstaller"
  fi
  cmake --build --preset "$preset" -j "$jobs" $only
done
