#!/bin/sh
# Builds the host tools, then the installer for both Windows targets:
# build/x64/VelantrixInstaller.exe (tested under Wine) and
# build/x86/VelantrixInstaller.exe (shipped).
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc)
for preset in host x64 x86; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
