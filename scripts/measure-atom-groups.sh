#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# What each group of atoms, and the outlier window, does to the
# cross-validated accuracy of the RefDB statistics: for every variant below,
# the recipe's statistics of each fold are built with that variant's atoms
# left out (and its outlier window), and cross-validate.sh scores the folds
# (its options after the first: --every N, --models M), one line of
# top-1 / top-3 per variant and model:
#
#   measure-atom-groups.sh backbone|full [cross-validate.sh options...]
#
# The variants start from the atoms of the shipped selections (data/atoms_SET.txt)
# and add one group of the atoms that the 871 entries observe at least 20
# times beyond them; "candidates" keeps every such atom, "recipe" is what
# scripts/refdb-recipe.sh leaves out. A variant is "name|atoms left out|
# outlier window|models": the labile protons make -cfpd some twenty times
# slower, so that variant runs the other three models.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/refdb-recipe.sh"
[ $# -ge 1 ] || { echo "usage: measure-atom-groups.sh backbone|full [cross-validate.sh options...]" >&2; exit 1; }
set_name=$1
shift

labile="ARG:HH11 ARG:HH12 ARG:HH21 ARG:HH22 HIS:HD1 HIS:HE2 SER:HG THR:HG1 TYR:HH"
quaternary="ARG:CZ ASP:CG ASN:CG GLU:CD GLN:CD PHE:CG TYR:CG TYR:CZ"
side_chain_n="ARG:NH1 ARG:NH2 HIS:ND1 HIS:NE2"
his_ce1="HIS:CE1"
pro_n="PRO:N"
every_group="$labile $quaternary $side_chain_n $his_ce1 $pro_n"

# The atoms of every group but those named.
all_but() {
  keep=" $* "
  for atom in $every_group; do
    case $keep in *" $atom "*) ;; *) printf '%s ' "$atom" ;; esac
  done
}

if [ "$set_name" = backbone ]; then
  variants="shipped-atoms|$pro_n||
with-PRO-N|||
shipped-atoms-outliers-4|$pro_n|4|
shipped-atoms-outliers-3|$pro_n|3|"
else
  variants="shipped-atoms|$every_group||
with-quaternary-C|$(all_but $quaternary)||
with-side-chain-N|$(all_but $side_chain_n)||
with-HIS-CE1|$(all_but $his_ce1)||
with-PRO-N|$(all_but $pro_n)||
with-labile-H|$(all_but $labile)||-cfpi -cspi -cspd
shipped-atoms-outliers-4|$every_group|4|
shipped-atoms-outliers-3|$every_group|3|"
fi

echo "$set_name atoms, cross-validated top-1 / top-3 in percent (cross-validate.sh $*)"
printf '%s\n' "$variants" | while IFS='|' read -r name left outliers models; do
  if [ "$set_name" = backbone ]; then
    options="--left-out-backbone"
  else
    options="--left-out-full"
  fi
  sh "$root/scripts/cross-validate.sh" --columns new --no-heldout --sets "$set_name" "$options" "$left" \
    --outlier-sd "${outliers:-$refdb_outlier_sd}" ${models:+--models "$models"} "$@" |
    awk -v name="$name" '
      /^spin systems:/ { n = $4 }
      /^-c/ { printf "%-26s %-6s %7d %13s\n", name, $1, n, $2 " / " $4 }'
done
