#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# cross-validate.sh --entries on a user's own entries: the old column's
# top-1 is what kestrin itself ranks first on the shipped 1HUU inputs
# (made from the same entry with the same selections), an entry that
# cannot be converted is named and left out, and a missing list is an error.
#   own_entries.sh PROGRAM_DIR SOURCE_DIR
set -u
bin=$1 source=$2
PATH=$bin:$PATH
export PATH
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

tar -xJf "$source/data/raw/shiftx2_testset_corrected_str.tar.xz" -C "$work" A036_bmr4047.str.corr.pdbresno
echo "not an entry" >"$work/bad.str"
printf '# comment\nA036_bmr4047.str.corr.pdbresno\n\nbad.str\n' >"$work/list"
(cd "$work" && sh "$source/scripts/cross-validate.sh" --entries list --models -cspd >out 2>err)
status=$?
[ "$status" = 0 ] || { echo "exit status $status (expected 0)"; failed=1; }

# kestrin's own count on the shipped inputs, as the README counts it.
for set in backbone sidechain; do
  [ $set = backbone ] && atoms=backbone || atoms=full
  expected=$(kestrin -cspd -sf "$source/data/stats_$atoms.txt" -af "$source/data/atoms_$atoms.txt" \
    <"$source/data/protein_1huu_$atoms.xml" |
    awk '/# Is class/ { c = $4 } /# Classe/ { n++; if ($3 == c) top++ } END { printf "%.1f", 100 * top / n }')
  got=$(awk -v s="$set atoms: top-1 / top-3 in percent" '$0 == s { on = 1 } on && /^-cspd / { print $2; exit }' "$work/out")
  [ "$got" = "$expected" ] || { echo "old $set -cspd top-1: got '$got', kestrin counts $expected"; failed=1; }
done
grep -q '^Your entries: 1 of the 2 that list names' "$work/out" ||
  { echo "expected 'Your entries: 1 of the 2 that list names'"; failed=1; }
grep -q "^cross-validate.sh: left out $work/bad.str: " "$work/err" || { echo "the bad entry is not named"; failed=1; }
grep -q '^spin systems: old 90 new 90$' "$work/out" || { echo "expected the 90 spin systems of 1HUU in each column"; failed=1; }

(cd "$work" && sh "$source/scripts/cross-validate.sh" --entries missing >out 2>err)
[ $? = 1 ] && grep -q 'cannot read the entry list missing' "$work/err" && [ ! -s "$work/out" ] ||
  { echo "a missing list: expected the message, status 1 and no output"; failed=1; }
[ "$failed" = 0 ] && echo "cross-validate.sh --entries counts as kestrin does and names what it leaves out"
exit $failed
