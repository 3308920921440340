#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The referencing check of kestrin-assign on known offsets: the held-out
# entries of data/raw (already re-referenced, and kept out of every
# statistics file), each as it is and with every shift of one nucleus moved
# by 13C ±1.5 and ±3 ppm (C' too), 15N ±2 ppm or 1H ±0.3 ppm; types hidden,
# scored with the full and the backbone statistics (stats_refdb_*), the
# default model and prior. For each kind moved: the share of cases whose
# estimate undoes the move within 0.3 ppm (13C), 0.6 ppm (15N) or 0.05 ppm
# (1H), the RMS error, and top-1 (share of spin systems whose declared type
# ranks first, over all entries) unmoved, moved and moved after
# --reference apply. For the unmoved entries: how many raise a warning, and
# top-1 with --reference apply beside the unmoved figure, with the largest
# loss of any entry.
# Each set is scored as the mixture of its statistics per secondary-structure
# class, as kestrin-assign does by default (--classes none: the one file alone).
#   referencing-synthetic.sh [--list FILE] [--jobs N] [--classes none] [ENTRY...]
# (default: every entry of data/raw/entries_heldout.txt; 2 jobs; --list
# writes one line per run). kestrin-assign is the one on the PATH, else the
# one of build/.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
data=$root/data
assign=$(command -v kestrin-assign || echo "$root/build/kestrin-assign")
[ -x "$assign" ] || { echo "no kestrin-assign: sh scripts/build.sh build" >&2; exit 1; }
list=
jobs=2
classes=mixture
while [ $# -gt 0 ]; do
  case $1 in
    --list) list=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --classes) classes=$2; shift 2 ;;
    *) break ;;
  esac
done
if [ $# -eq 0 ]; then
  set -- $(grep -v '^#' "$data/raw/entries_heldout.txt")
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tar -xJf "$data/raw/shiftx2_testset_corrected_str.tar.xz" -C "$work" "$@"

# One run: entry, atoms (full or backbone), nucleus moved (- for none), by
# how much, and the --reference mode. Prints the run's facts on one line:
# entry atoms nucleus delta mode spin_systems right warnings C CO N H.
cat >"$work/one.sh" <<'ONE'
set -eu
work=$1 assign=$2 data=$3 entry=$4 atoms=$5 nucleus=$6 delta=$7 mode=$8 classes=$9
run=$work/$entry.$atoms.$nucleus$delta.$mode
[ "$classes" = none ] || classes=$data/stats_refdb_$atoms
awk -v nucleus="$nucleus" -v delta="$delta" '
  NF == 9 && $1 ~ /^[0-9]+$/ && $3 ~ /^[0-9]+$/ && $6 == nucleus {
    $7 = sprintf("%.3f", $7 + delta); print "         " $0; next }
  { print }' "$work/$entry" >"$run.str"
"$assign" --hide-types --reference "$mode" --place none --classes "$classes" --threads 1 \
  -sf "$data/stats_refdb_$atoms.txt" \
  -af "$data/atoms_refdb_$atoms.txt" --table "$run.tsv" --referencing "$run.ref" "$run.str" 2>"$run.err" >/dev/null
awk -F'\t' 'NR > 1 { key = $1 "/" $2 "/" $3; seen[key] = 1; if ($4 == $5 && $6 + 0 > 0 && $9 == 1) right[key] = 1 }
  END { n = 0; r = 0; for (k in seen) { n++; r += (k in right) }; printf "%d %d", n, r }' "$run.tsv" >"$run.top"
warnings=$(grep -c 'seem mis-referenced' "$run.err" || true)
offsets=$(awk -F'\t' 'NR > 1 { printf " %s", $2 == "" ? "NA" : $2 }' "$run.ref")
echo "$entry $atoms $nucleus $delta $mode $(cat "$run.top") $warnings$offsets"
rm -f "$run.str" "$run.tsv" "$run.ref" "$run.err" "$run.top"
ONE
for entry in "$@"; do
  for atoms in full backbone; do
    for move in "- 0" "C 1.5" "C -1.5" "C 3" "C -3" "N 2" "N -2" "H 0.3" "H -0.3"; do
      for mode in check apply; do
        echo "$work $assign $data $entry $atoms $move $mode $classes"
      done
    done
  done
done | xargs -P "$jobs" -L 1 sh "$work/one.sh" | sort >"$work/runs"
[ -n "$list" ] && {
  printf 'entry\tatoms\tnucleus\tdelta\tmode\tspin_systems\tright\twarnings\tC\tCO\tN\tH\n'
  tr ' ' '\t' <"$work/runs"
} >"$list"

printf 'atoms\tkind\tcases\trecovered\trms_error\ttop1_unmoved\ttop1_moved\ttop1_applied\n'
awk '$5 == "check" && $3 == "-" { base_n[$2] += $6; base_r[$2] += $7 }
  $3 != "-" { key = $2 SUBSEP $3
    if ($5 == "check") {
      column = $3 == "C" ? 9 : $3 == "N" ? 11 : 12
      tolerance = $3 == "C" ? 0.3 : $3 == "N" ? 0.6 : 0.05
      e = $column == "NA" ? 99 : $column + $4
      cases[key]++; good[key] += (e <= tolerance && e >= -tolerance); se[key] += e * e
      moved_n[key] += $6; moved_r[key] += $7
    } else { applied_n[key] += $6; applied_r[key] += $7 } }
  END { split("full backbone", A, " "); split("C N H", K, " ")
    for (a = 1; a <= 2; a++) for (k = 1; k <= 3; k++) { key = A[a] SUBSEP K[k]; if (!(key in cases)) continue
      printf "%s\t%s\t%d\t%.1f%%\t%.3f\t%.2f%%\t%.2f%%\t%.2f%%\n", A[a], K[k], cases[key], 100 * good[key] / cases[key],
        sqrt(se[key] / cases[key]), 100 * base_r[A[a]] / base_n[A[a]], 100 * moved_r[key] / moved_n[key],
        100 * applied_r[key] / applied_n[key] } }' "$work/runs"
printf '\natoms\tentries\twith_warning\ttop1_check\ttop1_apply\tworst_entry_loss\n'
awk '$3 == "-" { key = $2 SUBSEP $1
    if ($5 == "check") { n[$2] += $6; r[$2] += $7; entries[$2]++; warned[$2] += ($8 > 0); cr[key] = $7; cn[key] = $6 }
    else { an[$2] += $6; ar[$2] += $7; xr[key] = $7 } }
  END { for (key in cr) { split(key, p, SUBSEP); loss = 100 * (cr[key] - xr[key]) / cn[key]
      if (!(p[1] in worst) || loss > worst[p[1]]) worst[p[1]] = loss }
    split("full backbone", A, " ")
    for (a = 1; a <= 2; a++) { x = A[a]; if (!(x in n)) continue
      printf "%s\t%d\t%d\t%.2f%%\t%.2f%%\t%.2f\n", x, entries[x], warned[x], 100 * r[x] / n[x], 100 * ar[x] / an[x],
        worst[x] } }' "$work/runs"
