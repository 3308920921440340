#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# What each group of atoms does to the cross-validated accuracy of the RefDB
# statistics: for every variant below, the recipe's statistics of each fold
# are built with that variant's atoms left out, and cross-validate.sh scores
# the folds (its options after the first: --every N, --models M), one line
# of top-1 / top-3 per variant and model:
#
#   measure-atom-groups.sh backbone|full [cross-validate.sh options...]
#
# "recipe" is the selection of scripts/refdb-recipe.sh: the atoms that the
# training entries observe at least 20 times, less the recipe's list. Each
# other variant changes one group: "with-GROUP" takes a group the recipe
# leaves out back in, "without-GROUP" leaves out one that it keeps;
# "shipped-atoms" keeps only the atoms of data/atoms_SET.txt. A variant is
# "name|atoms left out|models": the labile protons make -cfpd some twenty
# times slower, so that variant runs the other three models.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/refdb-recipe.sh"
[ $# -ge 1 ] || { echo "usage: measure-atom-groups.sh backbone|full [cross-validate.sh options...]" >&2; exit 1; }
set_name=$1
shift

# Groups of atoms beyond data/atoms_full.txt that pass the count ...
labile="ARG:HH11 ARG:HH12 ARG:HH21 ARG:HH22 HIS:HD1 HIS:HE2 SER:HG THR:HG1 TYR:HH"
quaternary="ARG:CZ ASP:CG ASN:CG GLU:CD GLN:CD PHE:CG TYR:CG TYR:CZ"
arg_n="ARG:NH1 ARG:NH2"
his_ring="HIS:CE1 HIS:ND1 HIS:NE2"
pro_n="PRO:N"
# ... and groups of data/atoms_full.txt that come with an atom that says as much.
amide_h="ASN:HD21 ASN:HD22 GLN:HE21 GLN:HE22"
ring_pair_c="PHE:CD2 PHE:CE2 TYR:CD2 TYR:CE2"

# The words of $1 that are not among those of $2.
without() {
  for atom in $1; do
    case " $2 " in *" $atom "*) ;; *) printf '%s ' "$atom" ;; esac
  done
}

recipe=$refdb_left_out_full
if [ "$set_name" = backbone ]; then
  recipe=$refdb_left_out_backbone
  variants="recipe|$recipe|
without-PRO-N|$recipe $pro_n|"
else
  variants="recipe|$recipe|
with-labile-H|$(without "$recipe" "$labile")|-cfpi -cspi -cspd
with-HIS-CE1-ND1-NE2|$(without "$recipe" "$his_ring")|
with-amide-H|$(without "$recipe" "$amide_h")|
with-PHE-TYR-CD2-CE2|$(without "$recipe" "$ring_pair_c")|
without-quaternary-C|$recipe $quaternary|
without-ARG-NH1-NH2|$recipe $arg_n|
without-PRO-N|$recipe $pro_n|
shipped-atoms|$labile $quaternary $arg_n $his_ring $pro_n|"
fi

echo "$set_name atoms, cross-validated top-1 / top-3 in percent (cross-validate.sh $*)"
printf '%s\n' "$variants" | while IFS='|' read -r name left models; do
  sh "$root/scripts/cross-validate.sh" --columns new --no-heldout --sets "$set_name" "--left-out-$set_name" "$left" \
    ${models:+--models "$models"} "$@" |
    awk -v name="$name" '
      /^spin systems:/ { n = $4 }
      /^-c/ { printf "%-26s %-6s %7d %13s\n", name, $1, n, $2 " / " $4 }'
done
