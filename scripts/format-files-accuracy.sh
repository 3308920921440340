#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Top-1 of kestrin-assign on the real files of ../shared/data/formats (NEF,
# NMR-STAR 3, NMRPipe/TALOS, Sparky), types hidden, with the defaults
# (installed statistics mixed by class, cfpd, the matching prior with the
# file's own sequence), the counterpart of scripts/prior-accuracy.sh for the
# formats spectroscopists hold. A spin system counts when the file declares
# its type; it is right when that type ranks first with a score above 0.
# A file with side-chain assignments (as in prior-accuracy.sh: at least as
# many shifts beyond the backbone atoms as spin systems, counted by
# kestrin-spins with each selection) counts as "sidechain" and is scored
# with the full statistics; every file is also scored with the
# backbone statistics ("backbone", as prior-accuracy.sh scores the held-out
# proteins). Left out: the format's commented example (synthetic), the NEF
# copy of BMRB 16570 (the same shifts as its NMR-STAR file), BMRB 5844 (one
# of the entries the default statistics were built from) and BMRB 4141 (the
# NEF file of 1NK2: its sequence shares 12-residue stretches with BMRB 4368,
# another of those entries).
#   format-files-accuracy.sh [FORMATS_FOLDER]   (default: ../shared/data/formats beside the repository)
# kestrin-assign is the one on the PATH, else the one of build/.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
data=$root/data
assign=$(command -v kestrin-assign || echo "$root/build/kestrin-assign")
spins=$(command -v kestrin-spins || echo "$root/build/kestrin-spins")
[ -x "$assign" ] && [ -x "$spins" ] || { echo "no kestrin-assign or kestrin-spins: sh scripts/build.sh build" >&2; exit 1; }
formats=${1:-$root/../shared/data/formats}
[ -d "$formats/nef" ] || { echo "no format files in $formats" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Declared spin systems and those right, from a --table of kestrin-assign.
count_right() {
  awk -F'\t' 'NR > 1 && $4 != "" { key = $1 "/" $2 "/" $3; seen[key] = 1
      if ($9 == 1 && $4 == $5 && $6 + 0 > 0) right[key] = 1 }
    END { n = 0; r = 0; for (k in seen) { n++; r += (k in right) }; print n, r }' "$1"
}

# Shifts, then spin systems, of the file converted with a selection.
count_shifts() {
  "$spins" -af "$2" "$1" 2>/dev/null |
    awk -F'"' '/^  <cs / { shifts += $4 } /^<res / { systems++ } END { print shifts + 0, systems + 0 }'
}

# True when the file holds side-chain assignments.
has_side_chains() {
  full=$(count_shifts "$1" "$data/atoms_refdb_full.txt")
  backbone=$(count_shifts "$1" "$data/atoms_refdb_backbone.txt")
  [ $((${full% *} - ${backbone% *})) -ge "${full#* }" ]
}

printf 'file\tset\tspin_systems\tright\ttop1\n'
for file in "$formats"/nef/*.nef "$formats"/nmrstar/*.str "$formats"/nmrpipe/*.tab "$formats"/sparky/*.txt; do
  case $(basename "$file") in
    commented_example_*|2kpu_bmr16570_*|bmr5844.str|1nk2_bmr4141_*) continue ;;
  esac
  name=${file#"$formats"/}
  "$assign" --hide-types --place none --threads 2 --table "$work/full.tsv" "$file" >/dev/null 2>"$work/err" || continue
  sets=backbone
  has_side_chains "$file" && sets="sidechain backbone"
  for set in $sets; do
    table=$work/full.tsv
    if [ "$set" = backbone ]; then
      table=$work/backbone.tsv
      "$assign" --hide-types --place none --threads 2 -sf "$data/stats_refdb_backbone.txt" \
        -af "$data/atoms_refdb_backbone.txt" --classes "$data/stats_refdb_backbone" --table "$table" "$file" \
        >/dev/null 2>&1 || continue
    fi
    set -- $(count_right "$table")
    [ "$1" -gt 0 ] || continue
    printf '%s\t%s\t%d\t%d\t%.2f\n' "$name" "$set" "$1" "$2" "$(echo "$2 $1" | awk '{ print 100 * $1 / $2 }')"
  done
done >"$work/rows"
cat "$work/rows"
awk -F'\t' '{ n[$2] += $3; r[$2] += $4 }
  END { for (s in n) printf "all\t%s\t%d\t%d\t%.2f\n", s, n[s], r[s], 100 * r[s] / n[s] }' "$work/rows" | sort -k2
