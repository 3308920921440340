#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The referencing check of kestrin-assign against RefDB: each RefDB file of
# ../shared/data/refdb states the offsets RefDB added to the deposited
# shifts (CA, CB, CO, N). Subtracting them (CA's from every carbon but C'
# and CB, CB's from CB, CO's from C', N's from every nitrogen) gives the
# shifts as deposited; kestrin-assign, types hidden, estimates the offsets
# of those, which should be RefDB's. Prints, for aliphatic 13C (against
# RefDB's CA offset), carbonyl 13C and 15N, the entries compared, the median and RMS
# error, the share within 0.3, 0.4, 0.5 and 0.8 ppm, and the entries with
# no estimate; with --list also one line per entry. The statistics are by
# default data/stats_full.txt, which were not built from these proteins
# (the installed defaults were: with -sf and -af they can be named). With
# --folds, as kestrin-assign scores by default: the full statistics and
# their classes built by the recipe of the defaults (scripts/refdb-recipe.sh)
# for each of the five folds of the cross-validation (whole 95 % sequence
# clusters) from the other four, each entry checked with its fold's
# statistics mixed by class.
#   referencing-refdb.sh [--list FILE] [--jobs N] [-sf STATS -af ATOMS | --folds] [REFDB_FOLDER]
# (default folder: ../shared/data/refdb beside the repository; 2 jobs).
# kestrin-assign is the one on the PATH, else the one of build/.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
assign=$(command -v kestrin-assign || echo "$root/build/kestrin-assign")
[ -x "$assign" ] || { echo "no kestrin-assign: sh scripts/build.sh build" >&2; exit 1; }
list=
jobs=2
stats=$root/data/stats_full.txt
atoms=$root/data/atoms_full.txt
folds=
while [ $# -gt 0 ]; do
  case $1 in
    --folds) folds=yes; shift ;;
    --list) list=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    -sf) stats=$2; shift 2 ;;
    -af) atoms=$2; shift 2 ;;
    *) break ;;
  esac
done
refdb=${1:-$root/../shared/data/refdb}
[ -r "$refdb/INDEX.tsv" ] && [ -r "$refdb/refdb_entries.tar.xz" ] || { echo "no RefDB set in $refdb" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tar -xJf "$refdb/refdb_entries.tar.xz" -C "$work" refdb_nmrstar2

# file, then RefDB's offsets of CA, CB, CO and N ("N/A" where it stated
# none), then the statistics (file, selection, class stem or "none").
awk -F'\t' 'NR == 1 { for (i = 1; i <= NF; i++) col[$i] = i; next }
  $col["subset"] == "refdb_nmrstar2" {
    print $col["file"], $col["offset_CA"], $col["offset_CB"], $col["offset_CO"], $col["offset_N"], $col["cl95"] % 5 }' \
  "$refdb/INDEX.tsv" >"$work/entries"
if [ -n "$folds" ]; then
  kestrin_stats=$(command -v kestrin-stats || echo "$root/build/kestrin-stats")
  . "$root/scripts/refdb-recipe.sh"
  (cd "$work" && refdb_entries "$refdb/INDEX.tsv" >folds_entries && refdb_folds folds_entries 1 &&
    for fold in 0 1 2 3 4; do
      refdb_statistics "$kestrin_stats" "fold_$fold" "fold_$fold/train" "$refdb_left_out_backbone" \
        "$refdb_left_out_full" full && refdb_class_statistics "$kestrin_stats" "fold_$fold" "fold_$fold/train" full &
    done; wait
    for fold in 0 1 2 3 4; do [ -s "fold_$fold/stats_refdb_full_coil.txt" ] || exit 1; done) ||
    { echo "referencing-refdb.sh: the statistics of a fold failed" >&2; exit 1; }
  awk -v w="$work" '{ f = w "/fold_" $6 "/"; print $1, $2, $3, $4, $5, f "stats_refdb_full.txt", f "atoms_refdb_full.txt",
    f "stats_refdb_full" }' "$work/entries" >"$work/scored"
else
  awk -v s="$stats" -v a="$atoms" '{ print $1, $2, $3, $4, $5, s, a, "none" }' "$work/entries" >"$work/scored"
fi

# One entry: the deposited shifts, then the estimates of C and N.
cat >"$work/one.sh" <<'ONE'
set -eu
work=$1 assign=$2 file=$3 ca=$4 cb=$5 co=$6 n=$7 stats=$8 atoms=$9 classes=${10}
out=$work/$(basename "$file").deposited
awk -v ca="$ca" -v cb="$cb" -v co="$co" -v n="$n" '
  function off(x) { return x == "N/A" ? 0 : x + 0 }
  NF == 8 && $1 ~ /^[0-9]+$/ && $2 ~ /^[0-9]+$/ && $6 ~ /^-?[0-9.]+$/ && ($5 == "C" || $5 == "N") {
    d = $5 == "N" ? off(n) : $4 == "C" ? off(co) : $4 == "CB" ? off(cb) : off(ca)
    if (d != 0) { $6 = sprintf("%.3f", $6 - d); print "     " $0; next } }
  { print }' "$work/refdb_nmrstar2/$(basename "$file")" >"$out"
"$assign" --hide-types --place none --threads 1 -sf "$stats" -af "$atoms" --classes "$classes" --referencing - "$out" \
  2>/dev/null |
  awk -F'\t' -v file="$file" -v ca="$ca" -v co="$co" -v n="$n" '
    $1 == "C" { c = $2 } $1 == "CO" { o = $2 } $1 == "N" { nn = $2 }
    END { print file, ca, c == "" ? "NA" : c, n, nn == "" ? "NA" : nn, co, o == "" ? "NA" : o }'
rm -f "$out"
ONE
awk -v w="$work" -v a="$assign" '{ print w, a, $0 }' "$work/scored" |
  xargs -P "$jobs" -L 1 sh "$work/one.sh" >"$work/results"
sort "$work/results" >"$work/sorted"
[ -n "$list" ] && { printf 'file\trefdb_C\testimate_C\trefdb_N\testimate_N\trefdb_CO\testimate_CO\n'; tr ' ' '\t' <"$work/sorted"; } >"$list"

printf 'kind\tentries\tnot_estimated\tmedian_error\trms_error\twithin_0.3\twithin_0.4\twithin_0.5\twithin_0.8\n'
for kind in C CO N; do
  awk -v kind="$kind" '{ ref = kind == "C" ? $2 : kind == "N" ? $4 : $6; est = kind == "C" ? $3 : kind == "N" ? $5 : $7
      if (ref == "N/A") next
      if (est == "NA") { none++; next }
      e = est - ref; if (e < 0) e = -e; print e }
    END { print "none", none + 0 > "/dev/stderr" }' "$work/sorted" 2>"$work/none" | sort -g >"$work/errors_$kind"
  awk -v kind="$kind" -v none="$(awk '{ print $2 }' "$work/none")" '{ e[NR] = $1; s2 += $1 * $1
      w3 += $1 <= 0.3; w4 += $1 <= 0.4; w5 += $1 <= 0.5; w8 += $1 <= 0.8 }
    END { if (NR == 0) { print kind "\t0\t" none; exit }
      med = NR % 2 ? e[(NR + 1) / 2] : (e[NR / 2] + e[NR / 2 + 1]) / 2
      printf "%s\t%d\t%d\t%.3f\t%.3f\t%.1f%%\t%.1f%%\t%.1f%%\t%.1f%%\n", kind, NR, none, med, sqrt(s2 / NR),
        100 * w3 / NR, 100 * w4 / NR, 100 * w5 / NR, 100 * w8 / NR }' "$work/errors_$kind"
done
