#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Accuracy of the shipped statistics on proteins they were not derived from:
# converts the held-out entries of data/raw (types declared) with
# kestrin-spins, for the backbone and the full atom selection, scores them
# with each of kestrin's four models and prints how often the declared type
# ranks first (top-1) and among the first three (top-3), per model and per
# amino acid. Full-atom accuracy is given over every entry and over the
# entries with side-chain assignments (at least one side-chain shift per
# spin system on average, the rule that also tells the 32 side-chain-assigned
# statistics entries from the other 14): scored with the full selection's
# missing rates, backbone-only spin systems rank side-chain-rich types low.
#   heldout-accuracy.sh [ENTRY...]   (default: every entry of data/raw/entries_heldout.txt)
# kestrin and kestrin-spins are those on the PATH, else those of build/.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
data=$root/data
find_program() {
  command -v "$1" || { [ -x "$root/build/$1" ] && echo "$root/build/$1"; } || {
    echo "$1 is neither on the PATH nor in build/: sh scripts/build.sh build" >&2
    exit 1
  }
}
kestrin=$(find_program kestrin)
spins=$(find_program kestrin-spins)
if [ $# -eq 0 ]; then
  set -- $(grep -v '^#' "$data/raw/entries_heldout.txt")
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tar -xJf "$data/raw/shiftx2_testset_corrected_str.tar.xz" -C "$work" "$@"

# Shifts in a spin-system file, then spin systems.
count_shifts() { awk -F'"' '/^  <cs / { shifts += $4 } /^<res / { systems++ } END { print shifts + 0, systems + 0 }' "$1"; }

# One line per spin system and model: atom set, model, declared type, its
# rank. The set "sidechain" repeats "full" for the side-chain-assigned entries.
sidechain_entries=0
for entry in "$@"; do
  for atoms in backbone full; do
    "$spins" -af "$data/atoms_$atoms.txt" "$work/$entry" >"$work/$atoms.xml" 2>/dev/null
  done
  full=$(count_shifts "$work/full.xml")
  backbone=$(count_shifts "$work/backbone.xml")
  sets="backbone full"
  if [ $((${full% *} - ${backbone% *})) -ge "${full#* }" ]; then
    sets="$sets sidechain"
    sidechain_entries=$((sidechain_entries + 1))
  fi
  for set in $sets; do
    atoms=$set
    [ "$set" = sidechain ] && atoms=full
    for model in -cfpi -cfpd -cspi -cspd; do
      "$kestrin" "$model" -sf "$data/stats_$atoms.txt" -af "$data/atoms_$atoms.txt" <"$work/$atoms.xml" \
        >"$work/report"
      awk -v set="$set" -v model="$model" '
        /^# Is class / { declared = $4 }
        /^# Classe/ { for (i = 3; i <= NF; i++) if ($i == declared) print set, model, declared, i - 2 }' \
        "$work/report"
    done
  done
done >"$work/ranks"

echo "Held-out accuracy: $# entries ($sidechain_entries with side-chain assignments)," \
  "statistics and atom selections of data/"
# Type numbers are positions in the atom selections, which list the 20 amino
# acids in this order.
awk '
BEGIN {
  split("ALA ARG ASP ASN CYS GLU GLN GLY HIS ILE LEU LYS MET PHE PRO SER THR TRP TYR VAL", code, " ")
  split("-cfpi -cfpd -cspi -cspd", models, " ")
  split("backbone full sidechain", sets, " ")
  title["backbone"] = "backbone atoms"; title["full"] = "full atoms"
  title["sidechain"] = "full atoms, side-chain-assigned entries"
}
{
  n[$1, $2]++; n_type[$1, $2, $3]++
  if ($4 == 1) { top1[$1, $2]++; top1_type[$1, $2, $3]++ }
  if ($4 <= 3) { top3[$1, $2]++; top3_type[$1, $2, $3]++ }
}
function percent(part, whole) { return whole ? sprintf("%.1f", 100 * part / whole) : "-" }
END {
  print ""
  printf "%-39s %-6s %12s %7s %7s\n", "atom set", "model", "spin systems", "top-1", "top-3"
  for (s = 1; s <= 3; s++)
    for (m = 1; m <= 4; m++)
      printf "%-39s %-6s %12d %6s%% %6s%%\n", title[sets[s]], models[m], n[sets[s], models[m]],
             percent(top1[sets[s], models[m]], n[sets[s], models[m]]), percent(top3[sets[s], models[m]], n[sets[s], models[m]])
  for (s = 1; s <= 3; s += 2) {
    print ""
    printf "%s: top-1 / top-3 in percent per amino acid\n", title[sets[s]]
    printf "%-4s %5s", "type", "n"
    for (m = 1; m <= 4; m++) printf " %13s", models[m]
    print ""
    for (t = 1; t <= 20; t++) {
      total = n_type[sets[s], models[1], t]
      printf "%-4s %5d", code[t], total
      for (m = 1; m <= 4; m++)
        printf " %13s", percent(top1_type[sets[s], models[m], t], total) " / " percent(top3_type[sets[s], models[m], t], total)
      print ""
    }
  }
}' "$work/ranks"
