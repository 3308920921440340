#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Times whole runs of kestrin (the fast engines) next to kestrin_literal (the
# same program with the straightforward enumeration), model by model, on the
# example data and on synthetic worst cases, and prints a Markdown table:
#
#   sh bench/run-benchmark.sh
#
# Fast runs are timed three times (the median is shown), literal runs once.
# Runs the literal engines cannot finish (full permutations on full atoms:
# days) are timed, for both programs, on the spin systems whose enumeration
# stays short (at most 2e7 attachments over all types: 28 of 1HUU's 90, 33
# of 2HZE's 106, kept in tests/e2e/inputs), and the table says so; the fast
# engines are also timed on the whole protein.
# Times are wall-clock seconds of whole processes, start-up included.
set -eu
cd "$(dirname "$0")/.."
sh scripts/ensure-packages.sh cmake ninja-build g++ libgsl-dev libgtest-dev time
sh scripts/build.sh build -DBUILD_TESTING=ON >/dev/null
fast=build/kestrin
literal=build/bench/kestrin_literal
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs one program; prints "seconds peak_KiB" and keeps the report.
run_once() { # program model atoms stats input report
  start=$(date +%s.%N)
  /usr/bin/time -f "%M" -o "$work/memory" "$1" "$2" -af "$3" -sf "$4" <"$5" >"$6"
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" -v m="$(cat "$work/memory")" 'BEGIN { printf "%.3f %d\n", e - s, m }'
}

median_of_three() {
  for _ in 1 2 3; do run_once "$@"; done | sort -n | sed -n 2p
}

# One row of the table.
row() { # label model atoms stats input [literal: yes|no]
  label=$1 model=$2 atoms=$3 stats=$4 input=$5 with_literal=${6:-yes}
  set -- $(median_of_three "$fast" "$model" "$atoms" "$stats" "$input" "$work/fast.out")
  fast_s=$1 fast_kb=$2
  if [ "$with_literal" = yes ]; then
    set -- $(run_once "$literal" "$model" "$atoms" "$stats" "$input" "$work/literal.out")
    literal_s=$1 literal_kb=$2
    ratio=$(awk -v f="$fast_s" -v l="$literal_s" 'BEGIN { printf "%.1f×", l / f }')
    same=$(cmp -s "$work/fast.out" "$work/literal.out" && echo yes || echo NO)
    literal_mib=$(awk -v k="$literal_kb" 'BEGIN { printf "%.1f", k / 1024 }')
  else
    literal_s="days" ratio="—" same="—" literal_mib="—"
  fi
  fast_mib=$(awk -v k="$fast_kb" 'BEGIN { printf "%.1f", k / 1024 }')
  printf '| %s | %s | %s | %s | %s | %s / %s | %s |\n' \
    "$label" "$model" "$fast_s" "$literal_s" "$ratio" "$fast_mib" "$literal_mib" "$same"
}

d=data
s=bench/synthetic
echo "Machine: $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo)"
echo
echo "| input | model | fast (s) | literal (s) | ratio | peak memory fast / literal (MiB) | same report |"
echo "|---|---|---|---|---|---|---|"
for protein in 1huu 2hze; do
  for model in -cfpi -cfpd -cspi -cspd; do
    row "$protein backbone" "$model" $d/atoms_backbone.txt $d/stats_backbone.txt $d/protein_${protein}_backbone_unk.xml
  done
done
e=tests/e2e/inputs
for protein in 1huu 2hze; do
  short=$(ls $e/protein_${protein}_full*_subset.xml)
  for model in -cfpi -cfpd; do
    row "$protein full atoms, $(grep -c '^<res ' "$short") short spin systems" "$model" $d/atoms_full.txt $d/stats_full.txt "$short"
    row "$protein full atoms" "$model" $d/atoms_full.txt $d/stats_full.txt $d/protein_${protein}_full_unk.xml no
  done
  for model in -cspi -cspd; do
    row "$protein full atoms" "$model" $d/atoms_full.txt $d/stats_full.txt $d/protein_${protein}_full_unk.xml
  done
done
for case in ten_alike_h alike_h_and_c; do
  for model in -cfpi -cfpd -cspi -cspd; do
    row "synthetic $case" "$model" $s/atoms_$case.txt $s/stats_$case.txt $s/spins_$case.xml
  done
done
echo
for protein in 1huu 2hze; do
  echo "-cfpd walk on $protein full atoms: $(build/bench/kestrin_walk_counts -af $d/atoms_full.txt -sf $d/stats_full.txt <$d/protein_${protein}_full_unk.xml)"
done
