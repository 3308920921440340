#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Fits the temperature rule of kestrin-assign's probabilities without the
# matching prior (src/calibration/temperature.h),
#     T = base + per_shift max(0, n - 6) + per_unseen (1 - f),
# by cross-validation over whole sequence clusters: the five folds of
# scripts/calibration-cv.sh (statistics of fold k by the recipe of the
# defaults from the other four folds, classes mixed; the entries of fold k
# whose BMRB id is a multiple of EVERY scored with types hidden, cfpd,
# --place none), without a prior and with the composition prior, full and
# backbone sets. Every run is made with the shipped rule; the table's raw
# scores and prior weights let the rule be changed afterwards without
# scoring again: p(t) = w(t) s(t)^(1/T) / sum over u of w(u) s(u)^(1/T).
# n is a spin system's shifts (kestrin-spins with the fold's selection), f
# the observed share of its best-scoring type (the table's observed_share).
# The parameters are chosen on a grid to make the largest of the four
# expected calibration errors (none and composition, full and backbone)
# smallest. Prints, per prior and set, the ECE with T = 1 (no rule), with
# the shipped rule, and cross-validated: each fold scored with the rule
# fitted on the other four; then the rule fitted on all five.
#   fit-temperature.sh [EVERY]    (default 10; about 4 minutes on 2 cores)
# kestrin-assign, kestrin-spins and kestrin-stats are those on the PATH,
# else those of build/.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/refdb-recipe.sh"
assign=$(refdb_program "$root" kestrin-assign) || exit 1
spins=$(refdb_program "$root" kestrin-spins) || exit 1
stats=$(refdb_program "$root" kestrin-stats) || exit 1
every=${1:-10}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
refdb_fold_statistics "$root" "$stats" "$every" || { echo "fit-temperature.sh: no statistics" >&2; exit 1; }

# One line per spin system: set prior fold n f k, then k triples
# "ln w ln s declared" of the types that score above 0 (declared 1 for the
# type the file assigns; k = 0: no top type).
for set in full backbone; do
  for fold in 0 1 2 3 4; do
    while read -r entry; do
      "$spins" -af "fold_$fold/atoms_refdb_$set.txt" "$entry" 2>/dev/null |
        awk -F'"' '/^<res / { name = $4 } /^  <cs / { n[name] += $4 } END { for (k in n) print k "\t" n[k] }' >shifts
      for prior in none composition; do
        "$assign" --hide-types --model cfpd --prior "$prior" --classes "fold_$fold/stats_refdb_$set" --place none \
          -sf "fold_$fold/stats_refdb_$set.txt" -af "fold_$fold/atoms_refdb_$set.txt" \
          --threads 2 --table - "$entry" 2>/dev/null |
          awk -F'\t' -v set="$set" -v prior="$prior" -v fold="$fold" '
            FNR == NR { n[$1] = $2; next }
            FNR == 1 { next }
            !($1 in seen) { seen[$1] = 1; order[++count] = $1 }
            $9 == 1 { ranked[$1] = 1 }
            $9 != "" && $6 + 0 > 0 && (!($1 in most) || $6 + 0 > most[$1]) { most[$1] = $6 + 0; share[$1] = $11 + 0 }
            $9 != "" && $6 + 0 > 0 && $7 + 0 > 0 {
              pairs[$1] = pairs[$1] " " log($7) " " log($6) " " ($4 == $5); k[$1]++ }
            END {
              for (i = 1; i <= count; i++) { s = order[i]
                printf "%s %s %d %d %.6f %d%s\n", set, prior, fold, n[s] + 0, share[s] + 0,
                       (s in ranked) ? k[s] + 0 : 0, (s in ranked) ? pairs[s] : "" } }' shifts -
      done
    done <"fold_$fold/scored"
  done
done >rows

awk '
function temperature(g, n, f) { return base[g] + per_shift[g] * (n > 6 ? n - 6 : 0) + per_unseen[g] * (1 - f) }
function ece(g, cell, folds,    b, c, p, r, sum, k, d) {
  c = 0; sum = 0
  for (b = 0; b < 10; b++) { bc[b] = 0; bp[b] = 0; br[b] = 0
    for (k = 0; k < 5; k++) if (index(folds, k)) {
      bc[b] += count[g, cell, k, b]; bp[b] += psum[g, cell, k, b]; br[b] += rsum[g, cell, k, b] } }
  for (b = 0; b < 10; b++) c += bc[b]
  for (b = 0; b < 10; b++) if (bc[b] > 0) { d = bp[b] - br[b]; sum += (d < 0 ? -d : d) }
  return c > 0 ? sum / c : 0
}
BEGIN {
  grids = 0
  # g = 0: no rule (T = 1); g = 1: the shipped rule; then the grid.
  base[0] = 1; per_shift[0] = 0; per_unseen[0] = 0
  base[1] = 0.90; per_shift[1] = 0.25; per_unseen[1] = 1.5
  grids = 2
  for (a = 0.85; a < 1.0501; a += 0.05) for (b = 0.15; b < 0.3501; b += 0.05) for (c = 0; c < 2.001; c += 0.5) {
    base[grids] = a; per_shift[grids] = b; per_unseen[grids] = c; grids++ }
}
{
  cell = $1 " " $2; cells[cell] = 1
  for (g = 0; g < grids; g++) {
    p = 0; right = 0
    if ($6 > 0) {
      # The top type under this rule: the ranking moves with T where the
      # weights differ between types.
      t = temperature(g, $4, $5); most = -1e300
      for (i = 0; i < $6; i++) { v[i] = $(7 + 3 * i) + $(8 + 3 * i) / t; if (v[i] > most) { most = v[i]; right = $(9 + 3 * i) } }
      z = 0; for (i = 0; i < $6; i++) if (v[i] - most > -700) z += exp(v[i] - most)
      p = 1 / z
    }
    b = int(p * 10); if (b > 9) b = 9
    count[g, cell, $3, b]++; psum[g, cell, $3, b] += p; rsum[g, cell, $3, b] += right
  }
}
END {
  # The grid point whose largest ECE over the four cells is least, on the given folds.
  for (held = -1; held < 5; held++) {
    folds = ""; for (k = 0; k < 5; k++) if (k != held) folds = folds k
    best = -1
    for (g = 2; g < grids; g++) {
      worst = 0; for (cell in cells) { e = ece(g, cell, folds); if (e > worst) worst = e }
      if (best < 0 || worst < best_worst) { best = g; best_worst = worst }
    }
    chosen[held] = best; chosen_worst[held] = best_worst
  }
  printf "%-22s %10s %14s %18s\n", "prior, set", "ECE T=1", "shipped rule", "cross-validated"
  for (cell in cells) {
    # Cross-validated: each fold with the rule fitted on the other four.
    c = 0; sum = 0
    for (b = 0; b < 10; b++) { tc[b] = 0; tp[b] = 0; tr[b] = 0 }
    for (k = 0; k < 5; k++) { g = chosen[k]
      for (b = 0; b < 10; b++) { tc[b] += count[g, cell, k, b]; tp[b] += psum[g, cell, k, b]; tr[b] += rsum[g, cell, k, b] } }
    for (b = 0; b < 10; b++) { c += tc[b]; d = tp[b] - tr[b]; sum += (d < 0 ? -d : d) }
    split(cell, parts, " ")
    printf "%-22s %10.4f %14.4f %18.4f\n", parts[2] ", " parts[1], ece(0, cell, "01234"), ece(1, cell, "01234"), sum / c
  }
  for (k = 0; k < 5; k++) printf "fold %d: rule fitted on the others: base %.2f, per_shift %.2f, per_unseen %.1f\n", k,
    base[chosen[k]], per_shift[chosen[k]], per_unseen[chosen[k]]
  worst = 0; for (cell in cells) { e = ece(1, cell, "01234"); if (e > worst) worst = e }
  printf "the shipped rule: base %.2f, per_shift %.2f, per_unseen %.1f (largest ECE %.4f)\n",
    base[1], per_shift[1], per_unseen[1], worst
  g = chosen[-1]
  printf "fitted on all five folds: base %.2f, per_shift %.2f, per_unseen %.1f (largest ECE %.4f)\n",
    base[g], per_shift[g], per_unseen[g], chosen_worst[-1]
}' rows
