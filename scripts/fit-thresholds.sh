#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The thresholds of kestrin-assign's fit flags, measured on the real
# residues of the RefDB entries the default statistics were built from
# (data/refdb, the 871 NMR-STAR 2.1 files): every entry scored by
# kestrin-assign with the installed default statistics, types hidden, and
# for every residue the fit and the farthest shift of its declared type
# (the table's fit and farthest_sd columns). Prints, per type in AA3
# order, the 0.1 % quantile of the fit (log10 of its p-value: the least fit
# that 99.9 % of real residues of the type reach) over the residues whose
# every shift lies within the statistics' outlier window (the recipe's
# refdb_outlier_sd standard deviations of an atom of the type: the residues
# the statistics describe; the others, 2 % of all, are mostly errors of the
# entries, and would set the threshold thousands of orders of magnitude
# lower), with the same quantile over all residues beside it; and, over all
# residues, the 99.9 % quantile of the farthest shift; for
# src/fit/fit_thresholds.cpp.
#   fit-thresholds.sh [JOBS]    (JOBS parallel runs, default 2)
# kestrin-assign is the one on the PATH, else the one of build/.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/refdb-recipe.sh"
assign=$(command -v kestrin-assign || echo "$root/build/kestrin-assign")
[ -x "$assign" ] || { echo "no kestrin-assign: sh scripts/build.sh build" >&2; exit 1; }
jobs=${1:-2}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tar -xJf "$root/data/refdb/refdb_entries.tar.xz" -C "$work" refdb_nmrstar2
awk -F'\t' 'NR > 1 && $11 == "refdb_nmrstar2" { print $1 }' "$root/data/refdb/INDEX.tsv" >"$work/entries"
# One line per residue: type, fit, farthest_sd.
cd "$work"
xargs -P "$jobs" -I{} sh -c '"$1" --hide-types --prior none --model cfpi --table - "$2" 2>/dev/null |
  awk -F"\t" "NR == 1 { for (i = 1; i <= NF; i++) col[\$i] = i; next }
    \$col[\"declared\"] != \"\" && \$col[\"type\"] == \$col[\"declared\"] && \$col[\"fit\"] != \"\" {
      print \$col[\"type\"], \$col[\"fit\"], \$col[\"farthest_sd\"] }" >"$2.fits"' sh "$assign" {} <entries
cat refdb_nmrstar2/*.fits >fits
echo "# $(wc -l <fits) residues of $(wc -l <entries) entries"
echo "# $(awk -v w="$refdb_outlier_sd" '$3 <= w' fits | wc -l) within $refdb_outlier_sd sd"
echo "# type residues_within least_fit_within residues least_fit"
quantile() { sort -g | awk '{ v[NR] = $1 } END { k = int(NR * 0.001); if (k < 1) k = 1; printf "%d %.2f", NR, v[k] }'; }
for type in ALA ARG ASP ASN CYS GLU GLN GLY HIS ILE LEU LYS MET PHE PRO SER THR TRP TYR VAL; do
  within=$(awk -v t="$type" -v w="$refdb_outlier_sd" '$1 == t && $3 <= w { print $2 }' fits | quantile)
  all=$(awk -v t="$type" '$1 == t { print $2 }' fits | quantile)
  echo "$type $within $all"
done
awk '{ print $3 }' fits | sort -g | awk '{ v[NR] = $1 } END { k = int(NR * 0.999); printf "far_shift_sds %.2f\n", v[k] }'
