#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Rebuilds the default statistics and atom selections of data/
# (stats_refdb_backbone.txt, atoms_refdb_backbone.txt, stats_refdb_full.txt,
# atoms_refdb_full.txt, and the statistics per secondary-structure class
# stats_refdb_SET_CLASS.txt, CLASS helix, sheet, coil) from the RefDB entries of data/refdb with
# kestrin-stats, by the recipe of scripts/refdb-recipe.sh, into OUTDIR, then
# compares each file byte for byte with data/'s:
#
#   rebuild-refdb-statistics.sh OUTDIR
#
# The entries are the 871 RefDB files of data/refdb/INDEX.tsv, in its order,
# less the 13 that it marks as the same protein as one of the 61 of
# data/raw (858 entries; the 14th it marks is an NMR-STAR 3 file), so that the 15 held-out proteins there can be scored with the
# defaults. With OUTDIR data, the shipped files are replaced. kestrin-stats
# is the one on the PATH, else build/kestrin-stats (sh scripts/build.sh
# build). Exit status 0 when every file is the same as data/'s.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/refdb-recipe.sh"
if [ $# -ne 1 ]; then
  echo "usage: rebuild-refdb-statistics.sh OUTDIR" >&2
  exit 1
fi
mkdir -p "$1"
out=$(cd "$1" && pwd)
stats=$(command -v kestrin-stats || echo "$root/build/kestrin-stats")
if [ ! -x "$stats" ]; then
  echo "kestrin-stats is neither on the PATH nor in build/: sh scripts/build.sh build" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tar -xJf "$root/data/refdb/refdb_entries.tar.xz" -C "$work" refdb_nmrstar2

# The list names the entries as the archive holds them.
cd "$work"
refdb_entries "$root/data/refdb/INDEX.tsv" | awk '$4 != "yes" { print $1 }' >entries
refdb_statistics "$stats" "$work" entries "$refdb_left_out_backbone" "$refdb_left_out_full"
refdb_class_statistics "$stats" "$work" entries
cat summary_refdb_backbone.txt summary_refdb_full.txt

status=0
for set in backbone full; do
  for file in stats_refdb_$set.txt atoms_refdb_$set.txt stats_refdb_${set}_helix.txt stats_refdb_${set}_sheet.txt \
    stats_refdb_${set}_coil.txt; do
    if [ "$out" != "$root/data" ] && cmp -s "$work/$file" "$root/data/$file"; then
      echo "$file: the same as data/$file"
    elif [ "$out" != "$root/data" ]; then
      echo "$file: different from data/$file"
      status=1
    fi
    cp "$work/$file" "$out/$file"
  done
done
[ "$out" != "$root/data" ] || echo "wrote the ten files into data/"
exit $status
