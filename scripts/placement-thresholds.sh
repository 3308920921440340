#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Reliability classes of the placement judged on proteins they were not
# chosen on. The proteins of a run of scripts/placement-simulate.sh --keep DIR
# are split in two halves by sequence cluster (the 95 % cluster of
# data/refdb/INDEX.tsv for the refdb entries; the data/raw entries are
# distinct proteins, each a cluster of its own): the clusters in order (the
# data/raw entries as their list gives them, then the refdb clusters by
# number) go alternately to half 1 and half 2. On one half the thresholds
# are chosen, and the other half's placements are put in classes by them
# and counted; then the reverse.
#
# The rule that chooses them, on the placements of the tuning half at both
# levels of completeness (a spin system left out is not a placement):
#   strong  the least probability t such that, at each level, at least
#           STRONG % (default 98) of the placements of probability t or more
#           are right;
#   likely  the least t below strong, not below 0.5, such that, at each level, at least
#           LIKELY % (default 85) of those from t up to strong are right;
#   weak    the least t below likely, not below 0.5, such that, at each
#           level, at least WEAK % (default 50) of those from t up to likely
#           are right.
# The candidates are the probabilities the placements have.
#   placement-thresholds.sh RESULTS [STRONG LIKELY WEAK]
#     RESULTS: DIR/results.txt of placement-simulate.sh --keep DIR.
# Output: the thresholds chosen on each half ("none" when no probability
# gives the class its share right), then per half held out, level
# and class the placements and the share right; then the same per half
# for the classes that kestrin-assign gave; last, the thresholds chosen
# on every protein by the same rule.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 1 ] && [ -r "$1" ] || { echo "usage: placement-thresholds.sh RESULTS [STRONG LIKELY WEAK]" >&2; exit 1; }
awk -v strong_target="${2:-98}" -v likely_target="${3:-85}" -v weak_target="${4:-50}" \
    -v raw_list="$root/data/raw/entries_heldout.txt" -v index_file="$root/data/refdb/INDEX.tsv" '
  # The least candidate t below top (and not below floor) such that, at
  # every level, the placements of the given half with t <= p < top are at
  # least target % right; top itself when none is.
  function least(half, top, floor, target,    i, t, best, l, n, r, ok) {
    best = top
    for (i = 1; i <= candidates; i++) {
      t = candidate[i]
      if (t >= top || t < floor) continue
      ok = 1
      for (l = 1; l <= 2; l++) {
        n = 0; r = 0
        for (k = 1; k <= rows; k++)
          if ((half == 0 || part[entry[k]] == half) && level[k] == levels[l] && placed[k] && p[k] >= t && p[k] < top) {
            n++; r += right[k] }
        if (n > 0 && 100 * r < target * n) ok = 0
      }
      if (ok && t < best) best = t
    }
    return best
  }
  function choose(half) {
    s[half] = least(half, 1.0000001, 0, strong_target)
    li[half] = least(half, s[half], 0.5, likely_target)
    w[half] = least(half, li[half], 0.5, weak_target)
  }
  # A threshold above 1 is a class that no placement reaches.
  function shown(t) { return t > 1 ? "none" : sprintf("%.4f", t) }
  function class_of(q, half) { return q >= s[half] ? "strong" : q >= li[half] ? "likely" : q >= w[half] ? "weak" : "none" }
  BEGIN {
    while ((getline line < raw_list) > 0) if (line !~ /^#/ && line != "") order[++clusters] = "raw:" line
    FS = "\t"
    while ((getline line < index_file) > 0) {
      n = split(line, f, "\t")
      if (f[1] == "file") { for (i = 1; i <= n; i++) col[f[i]] = i; continue }
      name = f[1]; sub(/.*\//, "", name); cluster[name] = f[col["cl95"]]
    }
    FS = " "
    split("all partial", levels, " ")
  }
  { rows++; entry[rows] = $1; level[rows] = $2; placed[rows] = $5 != "-"; p[rows] = $6 + 0; right[rows] = $8 + 0; given[rows] = $7
    if (!($1 in known)) { known[$1] = 1
      if ($1 in cluster) { if (!(("cl" cluster[$1]) in seen_cluster)) { seen_cluster["cl" cluster[$1]] = 1; refdb[++refdbs] = cluster[$1] }
        of[$1] = "cl" cluster[$1] }
      else of[$1] = "raw:" $1 }
    if (placed[rows] && !(p[rows] in is_candidate)) { is_candidate[p[rows]] = 1; candidate[++candidates] = p[rows] } }
  END {
    # The refdb clusters by number after the data/raw entries; alternately to the two halves.
    for (i = 2; i <= refdbs; i++) { c = refdb[i]; for (j = i - 1; j >= 1 && refdb[j] + 0 > c + 0; j--) refdb[j + 1] = refdb[j]; refdb[j + 1] = c }
    for (i = 1; i <= refdbs; i++) order[++clusters] = "cl" refdb[i]
    m = 0
    for (i = 1; i <= clusters; i++) { used = 0
      for (e in of) if (of[e] == order[i]) { used = 1; part[e] = 1 + m % 2 }
      m += used }
    for (e in of) if (!(e in part)) { part[e] = 1 + m % 2; m++ }
    for (e in part) proteins[part[e]]++
    for (h = 0; h <= 2; h++) choose(h)
    printf "half\tproteins\tstrong_from\tlikely_from\tweak_from\n"
    for (h = 1; h <= 2; h++) printf "%d\t%d\t%s\t%s\t%s\n", h, proteins[h], shown(s[h]), shown(li[h]), shown(w[h])
    printf "\nheld_out\tlevel\tclass\tplaced\tright_%%\t(thresholds of the other half)\n"
    for (h = 1; h <= 2; h++) {
      o = 3 - h
      for (l = 1; l <= 2; l++) {
        delete cn; delete cr
        for (k = 1; k <= rows; k++)
          if (part[entry[k]] == h && level[k] == levels[l]) {
            c = placed[k] ? class_of(p[k], o) : "left_out"; cn[c]++; cr[c] += right[k] }
        split("strong likely weak none left_out", names, " ")
        for (j = 1; j <= 5; j++) if (names[j] in cn)
          printf "%d\t%s\t%s\t%d\t%.2f\n", h, levels[l], names[j], cn[names[j]], 100 * cr[names[j]] / cn[names[j]]
      }
    }
    printf "\nhalf\tlevel\tclass\tplaced\tright_%%\t(the classes kestrin-assign gave)\n"
    for (h = 1; h <= 2; h++)
      for (l = 1; l <= 2; l++) {
        delete cn; delete cr
        for (k = 1; k <= rows; k++)
          if (part[entry[k]] == h && level[k] == levels[l]) { c = placed[k] ? given[k] : "left_out"; cn[c]++; cr[c] += right[k] }
        for (j = 1; j <= 5; j++) if (names[j] in cn)
          printf "%d\t%s\t%s\t%d\t%.2f\n", h, levels[l], names[j], cn[names[j]], 100 * cr[names[j]] / cn[names[j]]
      }
    printf "\nevery protein: strong from %s, likely from %s, weak from %s\n", shown(s[0]), shown(li[0]), shown(w[0])
  }' "$1"
