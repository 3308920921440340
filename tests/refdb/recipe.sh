#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# A small part of the recipe of the default statistics: the first 20
# entries that rebuild-refdb-statistics.sh reads give exactly the expected
# files; the entry list leaves out the same-protein entries and no other;
# and the shipped selections leave out what the recipe says.
#   recipe.sh KESTRIN_STATS SOURCE_DIR
set -u
stats=$1 source=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$source/scripts/refdb-recipe.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

refdb_entries "$source/data/refdb/INDEX.tsv" >"$work/entries"
# 871 RefDB files, 13 of them the same protein as one of data/raw's 61
# (the 14th that INDEX.tsv marks is an NMR-STAR 3 file); folds 0 to 4.
set -- $(awk '{ n++; if ($4 == "yes") same++; if ($3 < 0 || $3 > 4) bad++ } END { print n, same + 0, bad + 0 }' "$work/entries")
[ "$*" = "871 13 0" ] || { echo "entries, same-protein entries, entries outside folds 0-4: $* (expected 871 13 0)"; failed=1; }
# Folds are cl95 modulo 5: bmr447 (cl95 1050) and the same-protein bmr4052 (cl95 370) are in fold 0.
for line in "refdb_nmrstar2/bmr447.str.corr 447 0 no" "refdb_nmrstar2/bmr4052.str.corr 4052 0 yes"; do
  grep -qxF "$line" "$work/entries" || { echo "expected the entry line '$line'"; failed=1; }
done

awk '$4 != "yes" { print $1 }' "$work/entries" | head -n 20 >"$work/list"
tar -xJf "$source/data/refdb/refdb_entries.tar.xz" -C "$work" $(cat "$work/list")
mkdir "$work/out"
(cd "$work" && refdb_statistics "$stats" "$work/out" "$work/list" "$refdb_left_out_backbone" "$refdb_left_out_full") ||
  { echo "the recipe failed on 20 entries"; failed=1; }
for file in atoms_refdb_backbone.txt stats_refdb_backbone.txt atoms_refdb_full.txt stats_refdb_full.txt; do
  if ! cmp -s "$here/expected/$file" "$work/out/$file"; then
    echo "== $file of 20 entries differs (expected, then got):"
    diff "$here/expected/$file" "$work/out/$file" | head -n 20
    failed=1
  fi
done

# The shipped selections name what they leave out, and hold none of it.
for set in backbone full; do
  [ $set = backbone ] && left=$refdb_left_out_backbone || left=$refdb_left_out_full
  printf '# Amino\n# Acid\n# x\n\n' | refdb_drop_atoms "$left" | sed -n 4p >"$work/line"
  shipped=$source/data/atoms_refdb_$set.txt
  if [ -n "$left" ] && ! grep -qxF "$(cat "$work/line")" "$shipped"; then
    echo "data/atoms_refdb_$set.txt does not say it leaves out: $left"
    failed=1
  fi
  for atom in $left; do
    if awk -v a="$atom" '!/^#/ && ($1 ":" $2) == a { found = 1 } END { exit !found }' "$shipped"; then
      echo "data/atoms_refdb_$set.txt holds $atom, which the recipe leaves out"
      failed=1
    fi
  done
  head -n 1 "$source/data/stats_refdb_$set.txt" | grep -q " from 858 entries " ||
    { echo "data/stats_refdb_$set.txt is not built from the 858 entries: $(head -n 1 "$source/data/stats_refdb_$set.txt")"; failed=1; }
done
[ "$failed" = 0 ] && echo "the recipe gives the expected files on 20 entries; the shipped files follow it"
exit $failed
