#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Rebuilds the example statistics and atom selections of data/ from the raw
# entries of data/raw with kestrin-stats, into OUTDIR, then compares each with
# the shipped file: rebuild-example-statistics.sh OUTDIR
# kestrin-stats is the one on the PATH, else build/kestrin-stats
# (sh scripts/build.sh build). Exit status 0 when every file matches as
# scripts/compare-statistics.sh describes.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -ne 1 ]; then
  echo "usage: rebuild-example-statistics.sh OUTDIR" >&2
  exit 1
fi
mkdir -p "$1"
out=$(cd "$1" && pwd)
stats=$(command -v kestrin-stats || echo "$root/build/kestrin-stats")
if [ ! -x "$stats" ]; then
  echo "kestrin-stats is neither on the PATH nor in build/: sh scripts/build.sh build" >&2
  exit 1
fi
raw=$root/data/raw
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tar -xJf "$raw/shiftx2_testset_corrected_str.tar.xz" -C "$work"

# The lists name the entries as the archive holds them.
cd "$work"
means=$raw/bmrb_cs_stats_filtered.csv
backbone=@$raw/entries_statistics_backbone.txt
full=@$raw/entries_statistics_full.txt
"$stats" --backbone --atoms-out "$out/atoms_backbone.txt" "$backbone" >"$out/stats_backbone.txt"
"$stats" --backbone --means "$means" "$backbone" >"$out/stats_backbone_bmrbmeans.txt"
"$stats" --atoms-out "$out/atoms_full.txt" "$full" >"$out/stats_full.txt"
"$stats" --means "$means" "$full" >"$out/stats_full_bmrbmeans.txt"

status=0
for atoms in atoms_backbone atoms_full; do
  if cmp -s "$root/data/$atoms.txt" "$out/$atoms.txt"; then
    echo "$atoms.txt: the same"
  else
    echo "$atoms.txt: different"
    status=1
  fi
done
for file in stats_backbone stats_backbone_bmrbmeans stats_full stats_full_bmrbmeans; do
  sh "$root/scripts/compare-statistics.sh" "$root/data/$file.txt" "$out/$file.txt" || status=1
done
exit $status
