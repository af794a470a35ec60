#!/bin/sh
# Builds the fuzzers (preset "fuzz": clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for the given seconds (default 60),
# one process at a time, over its seeds (fuzz/corpus/<target>) and what earlier
# runs found (build/fuzz/corpus/<target>). Prints the executions per target
# and their total; stops with exit code 1 at a finding, whose input is kept as
# build/fuzz/findings/<target>-crash-*.
#
#   scripts/fuzz.sh [seconds-per-target]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" >/dev/null

findings=build/fuzz/findings
mkdir -p "$findings"
total=0
for target in package_parser lzma_stream cmdline digest_scanner multi_string; do
  corpus=build/fuzz/corpus/$target
  log=build/fuzz/$target.log
  mkdir -p "$corpus"
  if ! "build/fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
       -artifact_prefix="$findings/$target-" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz_$target: finding (log $log, input in $findings)"
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: //p' "$log")
  printf '%-16s %12d executions\n' "$target" "$runs"
  total=$((total + runs))
done
printf '%-16s %12d executions\n' total "$total"
