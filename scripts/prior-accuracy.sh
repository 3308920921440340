#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Top-1 and top-3 accuracy of kestrin-assign's sequence priors on the
# held-out entries of data/raw (proteins the statistics were not built
# from), with every type hidden (--hide-types) and scored by cfpd, for the
# full and the backbone statistics, each as the mixture of its statistics
# per secondary-structure class (the default). A spin system counts as right at top-k
# when its declared type ranks k or better; spin systems with no shift
# scored count as wrong. Full-atom accuracy is also given over the entries
# with side-chain assignments ("sidechain": at least as many shifts beyond
# the backbone atoms as residues with shifts). ece is the expected
# calibration error of the top probability over ten equal bins,
# ECE = sum_b (n_b / n) |mean p_b - fraction right_b|.
#   prior-accuracy.sh [--diagram FILE.png] [ENTRY...]
#     (default: every entry of data/raw/entries_heldout.txt); --diagram also
#     draws the reliability diagram of the matching prior (full, backbone):
#     per bin of the top probability, the fraction right, as SVG rendered to
#     PNG with rsvg-convert.
# kestrin-assign is the one on the PATH, else the one of build/.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
data=$root/data
assign=$(command -v kestrin-assign || echo "$root/build/kestrin-assign")
[ -x "$assign" ] || { echo "no kestrin-assign: sh scripts/build.sh build" >&2; exit 1; }
diagram=
if [ "${1:-}" = --diagram ]; then
  diagram=$2
  shift 2
fi
if [ $# -eq 0 ]; then
  set -- $(grep -v '^#' "$data/raw/entries_heldout.txt")
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tar -xJf "$data/raw/shiftx2_testset_corrected_str.tar.xz" -C "$work" "$@"

# True when the entry has side-chain assignments (NMR-STAR 2.1 shift rows).
has_side_chains() {
  awk 'NF == 9 && $1 ~ /^[0-9]+$/ && $3 ~ /^[0-9]+$/ { residues[$3] = 1
      if ($5 !~ /^(H|HA|HA2|HA3|C|CA|CB|N)$/) side++ }
    END { n = 0; for (r in residues) n++; exit !(side >= n) }' "$1"
}

printf 'atoms\tprior\tspin_systems\ttop1\ttop3\tece\n'
for atoms in full backbone; do
  for prior in none composition matching; do
    : >"$work/ranks"
    for entry in "$@"; do
      side=0
      has_side_chains "$work/$entry" && side=1
      "$assign" --hide-types --model cfpd --prior "$prior" --classes "$data/stats_refdb_$atoms" \
        -sf "$data/stats_refdb_$atoms.txt" \
        -af "$data/atoms_refdb_$atoms.txt" --threads 2 --table - "$work/$entry" 2>/dev/null |
        awk -F'\t' -v side="$side" 'NR > 1 { key = $1 "/" $2 "/" $3; seen[key] = 1
            if ($9 == 1) { top[key] = $8; right[key] = ($4 == $5 && $6 + 0 > 0) }
            if ($4 == $5 && $6 + 0 > 0) rank[key] = $9 == "" ? 99 : $9 }
          END { for (k in seen) print (k in rank) ? rank[k] : 99, top[k] + 0, right[k] + 0, side }' >>"$work/ranks"
    done
    [ "$prior" = matching ] && awk -v atoms="$atoms" '{ b = int($2 * 10); if (b > 9) b = 9
        bn[b]++; bp[b] += $2; br[b] += $3 }
      END { for (b = 0; b < 10; b++) if (bn[b] > 0) print atoms, b, bn[b], bp[b] / bn[b], br[b] / bn[b] }' \
      "$work/ranks" >>"$work/bins"
    for subset in all sidechain; do
      [ "$atoms" = backbone ] && [ "$subset" = sidechain ] && continue
      awk -v atoms="$atoms" -v prior="$prior" -v subset="$subset" '
        subset == "sidechain" && $4 != 1 { next }
        { n++; if ($1 <= 1) one++; if ($1 <= 3) three++
          b = int($2 * 10); if (b > 9) b = 9; bn[b]++; bp[b] += $2; br[b] += $3 }
        END { ece = 0; for (b in bn) { d = bp[b] / bn[b] - br[b] / bn[b]; ece += bn[b] / n * (d < 0 ? -d : d) }
          name = subset == "sidechain" ? atoms "/sidechain" : atoms
          printf "%s\t%s\t%d\t%.2f\t%.2f\t%.4f\n", name, prior, n, 100 * one / n, 100 * three / n, ece }' "$work/ranks"
    done
  done
done

[ -n "$diagram" ] || exit 0
# Reliability diagram: x the mean top probability of a bin, y its fraction
# right; the diagonal is perfect calibration; the point areas follow the bin
# counts.
awk 'BEGIN { print "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"440\" height=\"440\" font-family=\"sans-serif\" font-size=\"12\">"
    print "<rect width=\"440\" height=\"440\" fill=\"white\"/>"
    print "<rect x=\"60\" y=\"20\" width=\"360\" height=\"360\" fill=\"none\" stroke=\"black\"/>"
    print "<line x1=\"60\" y1=\"380\" x2=\"420\" y2=\"20\" stroke=\"gray\" stroke-dasharray=\"4 4\"/>"
    for (i = 0; i <= 10; i += 2) { v = i / 10; x = 60 + 360 * v; y = 380 - 360 * v
      printf "<text x=\"%g\" y=\"398\" text-anchor=\"middle\">%.1f</text>\n", x, v
      printf "<text x=\"52\" y=\"%g\" text-anchor=\"end\">%.1f</text>\n", y + 4, v }
    print "<text x=\"240\" y=\"425\" text-anchor=\"middle\">top probability (bin mean)</text>"
    print "<text x=\"16\" y=\"200\" text-anchor=\"middle\" transform=\"rotate(-90 16 200)\">fraction right</text>"
    colour["full"] = "#1f77b4"; colour["backbone"] = "#d62728" }
  { x = 60 + 360 * $4; y = 380 - 360 * $5; r = 2 + sqrt($3) / 3
    if ($1 in last) printf "<line x1=\"%g\" y1=\"%g\" x2=\"%g\" y2=\"%g\" stroke=\"%s\"/>\n", lx[$1], ly[$1], x, y, colour[$1]
    last[$1] = 1; lx[$1] = x; ly[$1] = y
    printf "<circle cx=\"%g\" cy=\"%g\" r=\"%g\" fill=\"%s\" fill-opacity=\"0.6\"/>\n", x, y, r, colour[$1] }
  END { print "<text x=\"70\" y=\"40\" fill=\"#1f77b4\">full statistics</text>"
    print "<text x=\"70\" y=\"56\" fill=\"#d62728\">backbone statistics</text>"
    print "<text x=\"70\" y=\"72\">held-out proteins, types hidden, matching prior</text>"
    print "</svg>" }' "$work/bins" >"$work/diagram.svg"
rsvg-convert -o "$diagram" "$work/diagram.svg"
