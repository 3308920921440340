#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets in build-fuzz/ and runs each for SECONDS
# (default 30) on a scratch copy of its seed corpus; fails on any finding.
#   sh scripts/run-fuzz.sh [SECONDS] [TARGET...]
# A finding's input is kept as build-fuzz/findings/TARGET-crash-... (or
# -timeout-, -oom-, -leak-); fuzz/README.md says how to replay it.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-30}
[ $# -gt 0 ] && shift
targets=${*:-atoms_reader_fuzz stats_reader_fuzz values_reader_fuzz whole_run_fuzz engines_differential_fuzz shift_reader_fuzz statistics_fuzz assign_outputs_fuzz}

sh scripts/ensure-packages.sh cmake ninja-build clang libclang-rt-14-dev libgsl-dev
CC=clang CXX=clang++ sh scripts/build.sh build-fuzz -DKESTRIN_FUZZ=ON -DBUILD_TESTING=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo

mkdir -p build-fuzz/findings build-fuzz/logs
failed=""
for target in $targets; do
  # libFuzzer adds what it learns to the folder it is given, so the seeds
  # in the repository stay as they are.
  corpus=$(mktemp -d)
  cp fuzz/corpus/"$target"/* "$corpus"/
  log=build-fuzz/logs/$target.log
  if build-fuzz/fuzz/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -dict=fuzz/kestrin.dict -print_final_stats=1 \
       -artifact_prefix=build-fuzz/findings/"$target"- "$corpus" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    coverage=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -n 1 | sed 's/.*\(cov: [0-9]* ft: [0-9]*\).*/\1/')
    echo "$target: $runs runs in ${seconds} s, $coverage"
  else
    echo "$target: FINDING (log $log)"
    tail -n 60 "$log"
    failed="$failed $target"
  fi
  rm -rf "$corpus"
done
if [ -n "$failed" ]; then
  echo "Fuzzing found problems in:$failed"
  exit 1
fi
echo "Fuzzing found nothing."
