#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Top-1 and top-3 accuracy of kestrin-assign's sequence priors on the
# held-out entries of data/raw (proteins the statistics were not built
# from), with every type hidden (--hide-types) and scored by cfpd, for the
# full and the backbone statistics. A spin system counts as right at top-k
# when its declared type ranks k or better; spin systems with no shift
# scored count as wrong.
#   prior-accuracy.sh [ENTRY...]   (default: every entry of data/raw/entries_heldout.txt)
# kestrin-assign is the one on the PATH, else the one of build/.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
data=$root/data
assign=$(command -v kestrin-assign || echo "$root/build/kestrin-assign")
[ -x "$assign" ] || { echo "no kestrin-assign: sh scripts/build.sh build" >&2; exit 1; }
if [ $# -eq 0 ]; then
  set -- $(grep -v '^#' "$data/raw/entries_heldout.txt")
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tar -xJf "$data/raw/shiftx2_testset_corrected_str.tar.xz" -C "$work" "$@"

printf 'atoms\tprior\tspin_systems\ttop1\ttop3\n'
for atoms in full backbone; do
  for prior in none composition matching; do
    : >"$work/ranks"
    for entry in "$@"; do
      "$assign" --hide-types --model cfpd --prior "$prior" -sf "$data/stats_refdb_$atoms.txt" \
        -af "$data/atoms_refdb_$atoms.txt" --threads 2 --table - "$work/$entry" 2>/dev/null |
        awk -F'\t' -v entry="$entry" 'NR > 1 { key = entry "/" $1 "/" $2 "/" $3; seen[key] = 1
            if ($4 == $5 && $6 + 0 > 0) rank[key] = $9 }
          END { for (k in seen) print (k in rank) ? rank[k] : 99 }' >>"$work/ranks"
    done
    awk -v atoms="$atoms" -v prior="$prior" '{ n++; if ($1 <= 1) one++; if ($1 <= 3) three++ }
      END { printf "%s\t%s\t%d\t%.2f\t%.2f\n", atoms, prior, n, 100 * one / n, 100 * three / n }' "$work/ranks"
  done
done
