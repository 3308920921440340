#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Times whole runs of kestrin-assign (start-up, reading, scoring and every
# output included) on real shift files, with the default statistics and
# model, on 1 and 2 threads: once as a user runs it, once with --hide-types
# (every spin system predicted), each the median of three runs, with the
# processor time (user + system) beside the wall time, since a busy machine
# stretches the wall time and not the processor time. Prints a table and the
# slowest file.
#   sh bench/assign-real-files.sh [FILE...]   (default: the NEF and NMR-STAR files of the
#                                               format tests and the shipped Sec5 file)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
sh scripts/ensure-packages.sh cmake ninja-build g++ libgsl-dev libgtest-dev time
sh scripts/build.sh build -DBUILD_TESTING=ON >/dev/null
program=$root/build/kestrin-assign
if [ $# -eq 0 ]; then
  set -- data/sec5_ccpn_partially_assigned.nef tests/formats/data/*.nef tests/formats/data/*.str tests/formats/data/*.tab
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One run: "wall cpu" in seconds.
run_once() {
  start=$(date +%s.%N)
  /usr/bin/time -f "%U %S" -o "$work/times" "$@" >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" '{ printf "%.3f %.3f\n", e - s, $1 + $2 }' "$work/times"
}
# The medians of three runs' wall and processor times.
medians() {
  for _ in 1 2 3; do run_once "$@"; done >"$work/runs"
  wall=$(cut -d' ' -f1 "$work/runs" | sort -n | sed -n 2p)
  cpu=$(cut -d' ' -f2 "$work/runs" | sort -n | sed -n 2p)
  echo "$wall $cpu"
}

echo "Machine: $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo)"
echo
echo "| file | spin systems | as read, 2 threads: wall / cpu (s) | --hide-types, 1 thread (s) | --hide-types, 2 threads: wall / cpu (s) |"
echo "|---|---|---|---|---|"
: >"$work/slowest"
for file in "$@"; do
  systems=$("$program" "$file" 2>/dev/null | grep -cv '^# ' || true)
  set -- $(medians "$program" --threads 2 "$file")
  read_wall=$1 read_cpu=$2
  set -- $(medians "$program" --threads 1 --hide-types "$file")
  one_wall=$1
  set -- $(medians "$program" --threads 2 --hide-types "$file")
  echo "| $(basename "$file") | $systems | $read_wall / $read_cpu | $one_wall | $1 / $2 |"
  echo "$1 $(basename "$file")" >>"$work/slowest"
done
echo
echo "slowest with --hide-types on 2 threads: $(sort -rn "$work/slowest" | head -n 1)"
