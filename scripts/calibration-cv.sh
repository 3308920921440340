#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Accuracy and calibration of kestrin-assign's probabilities by cross-validation over
# whole sequence clusters: the five folds of scripts/cross-validate.sh (an
# entry's fold is its 95 % sequence cluster, INDEX.tsv cl95, modulo 5), the
# statistics of fold k built by the recipe of the default statistics
# (scripts/refdb-recipe.sh) from the other four folds, and the entries of
# fold k whose BMRB id is a multiple of EVERY (default 10) scored by
# kestrin-assign with them: types hidden, cfpd, with the matching prior
# (each entry's own sequence) and without a prior, for the full and the
# backbone sets, each with the one statistics file ("single") and as the
# mixture of the statistics per secondary-structure class built the same
# way ("classes", --classes).
# Printed per set, scoring and prior: spin systems, top-1, top-3, and per
# bin of the top probability
# (ten equal bins) the spin systems, the mean top probability and the
# fraction right, and the expected calibration error
#     ECE = sum_b (n_b / n) |mean p_b - fraction right_b|.
# A spin system counts as right when its declared type ranks first; one
# without a top type counts as a top probability of 0, wrong.
#   calibration-cv.sh [EVERY]    (about 6 minutes on 2 cores with EVERY 10)
# kestrin-assign and kestrin-stats are those on the PATH, else those of build/.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/refdb-recipe.sh"
assign=$(refdb_program "$root" kestrin-assign) || exit 1
stats=$(refdb_program "$root" kestrin-stats) || exit 1
every=${1:-10}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
refdb_fold_statistics "$root" "$stats" "$every" || { echo "calibration-cv.sh: no statistics" >&2; exit 1; }
for set in full backbone; do
  for scoring in single classes; do
    for prior in matching none; do
      tops="tops_${set}_${scoring}_$prior"
      : >"$tops"
      for fold in 0 1 2 3 4; do
        classes=none
        [ "$scoring" = classes ] && classes="fold_$fold/stats_refdb_$set"
        while read -r entry; do
          "$assign" --hide-types --model cfpd --prior "$prior" --classes "$classes" \
            -sf "fold_$fold/stats_refdb_$set.txt" -af "fold_$fold/atoms_refdb_$set.txt" \
            --threads 2 --table - "$entry" 2>/dev/null |
            awk -F'\t' 'NR > 1 { key = $1; seen[key] = 1
                if ($9 == 1) { top[key] = $8; right[key] = ($4 == $5) }
                if ($4 == $5 && $9 != "" && $9 <= 3) three[key] = 1 }
              END { for (k in seen) print top[k] + 0, right[k] + 0, (k in three) ? 1 : 0 }' >>"$tops"
        done <"fold_$fold/scored"
      done
      awk -v name="$set $scoring, prior $prior" '{ n++; one += $2; three += $3
          b = int($1 * 10); if (b > 9) b = 9; bn[b]++; bp[b] += $1; br[b] += $2 }
        END { printf "%s: %d spin systems, top-1 %.2f %%, top-3 %.2f %%\n", name, n, 100 * one / n, 100 * three / n
          ece = 0
          for (b = 0; b < 10; b++) if (bn[b] > 0) {
            d = bp[b] / bn[b] - br[b] / bn[b]; ece += bn[b] / n * (d < 0 ? -d : d)
            printf "  bin %.1f-%.1f: %6d  mean p %.3f  right %.3f\n", b / 10, (b + 1) / 10, bn[b], bp[b] / bn[b], br[b] / bn[b] }
          printf "  ECE %.4f\n", ece }' "$tops"
    done
  done
done
