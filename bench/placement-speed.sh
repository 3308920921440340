#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# How long kestrin-assign takes to place the spin systems of a 200-residue
# protein: BMRB 17711 (215 residues, 197 spin systems), simulated as
# scripts/placement-simulate.sh makes it (every spin system present), placed
# three times on two threads; the wall-clock time of each run with the
# placement and without it (--place none), in seconds.
#   placement-speed.sh [ENTRY]   (default bmrb_nmrstar3/17711.str)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
assign=$(command -v kestrin-assign || echo "$root/build/kestrin-assign")
entry=${1:-bmrb_nmrstar3/17711.str}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sh "$root/scripts/placement-simulate.sh" --keep "$work" "$entry" >/dev/null
file=$work/$(basename "$entry").all.nef
seconds() { date +%s.%N; }
for option in auto none; do
  for run in 1 2 3; do
    start=$(seconds)
    "$assign" --threads 2 --place "$option" "$file" >/dev/null 2>&1
    end=$(seconds)
    echo "$start $end" | awk -v option="$option" -v run="$run" '{ printf "--place %s, run %d: %.2f s\n", option, run, $2 - $1 }'
  done
done
