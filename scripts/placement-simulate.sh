#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# How well kestrin-assign places spin systems in the sequence, on simulated
# experiments made from real assignments of proteins the statistics were not
# built from: the 15 held-out entries of data/raw and the 26 NMR-STAR 3
# entries of data/refdb whose 95 % sequence cluster no statistics entry
# shares (nor any protein of data/raw).
#
# Each entry is read by kestrin-assign itself (--nef, so that names and the
# sequence are as it reads them); then, per residue with an amide H and N,
# an HNCACB-style spin system: H, N, CA, CB of the residue, and CA, CB of the
# residue before as CcpNmr writes them (sequence code @k-1), the latter with
# the spread that two peaks of one residue show in real spectra added
# (normal, sd 0.07 ppm for CA and 0.2 ppm for CB, as measured on the shipped
# Sec5 file's links). Types are hidden (residue name "."), the spin systems
# are named @1, @2, ... in a shuffled order, and the file holds the entry's
# sequence as _nef_sequence. Two levels of completeness:
#   all      every spin system, every row of the residue before;
#   partial  20 % of the spin systems removed, 10 % of the remaining rows of
#            the residue before removed.
# The random numbers come from a Park-Miller generator in awk with a fixed
# seed per entry, so the files are the same on every run.
#
# kestrin-assign --table then places them (columns found by their names in
# the header line); a spin system counts as right
# when its position is its residue (one left out counts as wrong). The
# output: per level, the spin systems, the share right, and per class the
# placements and the share of them right (the precision); then one line per
# entry and level; last, a check of the shipped Sec5 file's NmrChains and
# assigned residues.
#   placement-simulate.sh [--keep DIR] [ENTRY...]
#     ENTRY: file names inside the archives (A004_bmr6597.str.corr.pdbresno,
#     bmrb_nmrstar3/4023.str); default: all 41. --keep DIR keeps the
#     simulated NEF files and their keys there.
# kestrin-assign is the one on the PATH, else the one of build/.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
data=$root/data
assign=$(command -v kestrin-assign || echo "$root/build/kestrin-assign")
[ -x "$assign" ] || { echo "no kestrin-assign: sh scripts/build.sh build" >&2; exit 1; }
keep=
if [ "${1:-}" = --keep ]; then
  keep=$2
  mkdir -p "$keep"
  shift 2
fi
refdb_entries="bmrb_nmrstar3/4023.str bmrb_nmrstar3/6161.str bmrb_nmrstar3/6211.str bmrb_nmrstar3/6845.str
  bmrb_nmrstar3/6895.str bmrb_nmrstar3/6921.str bmrb_nmrstar3/7053.str bmrb_nmrstar3/7093.str bmrb_nmrstar3/7125.str
  bmrb_nmrstar3/7158.str bmrb_nmrstar3/11469.str bmrb_nmrstar3/11472.str bmrb_nmrstar3/11478.str
  bmrb_nmrstar3/11487.str bmrb_nmrstar3/11488.str bmrb_nmrstar3/11491.str bmrb_nmrstar3/11504.str
  bmrb_nmrstar3/15593.str bmrb_nmrstar3/16061.str bmrb_nmrstar3/16099.str bmrb_nmrstar3/16114.str
  bmrb_nmrstar3/17639.str bmrb_nmrstar3/17707.str bmrb_nmrstar3/17711.str bmrb_nmrstar3/17723.str
  bmrb_nmrstar3/17752.str"
if [ $# -eq 0 ]; then
  set -- $(grep -v '^#' "$data/raw/entries_heldout.txt") $refdb_entries
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
raw=
refdb=
for entry in "$@"; do
  case $entry in
    bmrb_nmrstar3/* | refdb_nmrstar2/*) refdb="$refdb $entry" ;;
    *) raw="$raw $entry" ;;
  esac
done
[ -z "$raw" ] || tar -xJf "$data/raw/shiftx2_testset_corrected_str.tar.xz" -C "$work" $raw
[ -z "$refdb" ] || tar -xJf "$data/refdb/refdb_entries.tar.xz" -C "$work" $refdb

: >"$work/results"
number=0
for entry in "$@"; do
  number=$((number + 1))
  name=$(basename "$entry")
  "$assign" --place none --prior none --threads 2 --nef "$work/read.nef" "$work/$entry" >/dev/null 2>&1
  for level in all partial; do
    awk -v seed="$((number * 7919 + 17))" -v level="$level" -v key="$work/key" '
      function random() { state = (state * 16807) % 2147483647; return state / 2147483647 }
      function normal() { return sqrt(-2 * log(1 - random())) * cos(6.283185307179586 * random()) }
      BEGIN { state = seed; for (i = 0; i < 10; i++) random() }
      /^ *loop_/ { loop = ""; tags = 0; next }
      /^ *_nef_sequence\./ { loop = "sequence"; tags++; next }
      /^ *_nef_chemical_shift\./ { loop = "shift"; tags++; next }
      /^ *stop_/ { loop = ""; next }
      loop == "sequence" && NF >= 4 { n++; chain[n] = $2; code[n] = $3; residue[n] = $4; row[n] = $0
        at[$2 "." $3] = n; next }
      loop == "shift" && NF >= 5 && ($4 == "H" || $4 == "N" || $4 == "CA" || $4 == "CB") {
        if (($1 "." $2) in at) shift[at[$1 "." $2], $4] = $5 }
      END {
        # The spin systems kept, shuffled.
        m = 0
        for (k = 1; k <= n; k++) {
          if (!((k, "H") in shift) || !((k, "N") in shift)) continue
          if (level == "partial" && random() < 0.2) continue
          kept[++m] = k
        }
        for (i = m; i > 1; i--) { j = 1 + int(random() * i); t = kept[i]; kept[i] = kept[j]; kept[j] = t }
        print "data_simulated\n\nsave_nef_molecular_system\n   _nef_molecular_system.sf_category   nef_molecular_system"
        print "   _nef_molecular_system.sf_framecode  nef_molecular_system\n\n   loop_"
        print "      _nef_sequence.index\n      _nef_sequence.chain_code\n      _nef_sequence.sequence_code"
        print "      _nef_sequence.residue_name\n      _nef_sequence.linking\n      _nef_sequence.residue_variant"
        print "      _nef_sequence.cis_peptide\n"
        for (k = 1; k <= n; k++) print row[k]
        print "   stop_\nsave_\n\nsave_nef_chemical_shift_list_simulated"
        print "   _nef_chemical_shift_list.sf_category   nef_chemical_shift_list"
        print "   _nef_chemical_shift_list.sf_framecode  nef_chemical_shift_list_simulated\n\n   loop_"
        print "      _nef_chemical_shift.chain_code\n      _nef_chemical_shift.sequence_code"
        print "      _nef_chemical_shift.residue_name\n      _nef_chemical_shift.atom_name"
        print "      _nef_chemical_shift.value\n      _nef_chemical_shift.element\n      _nef_chemical_shift.isotope_number\n"
        split("H N CA CB", atoms, " ")
        for (i = 1; i <= m; i++) {
          k = kept[i]
          printf "@%d\t%s.%s\n", i, chain[k], code[k] > key
          before = k - 1
          if (before >= 1 && chain[before] == chain[k])
            for (a = 3; a <= 4; a++) {
              if (!((before, atoms[a]) in shift)) continue
              if (level == "partial" && random() < 0.1) continue
              spread = atoms[a] == "CA" ? 0.07 : 0.2
              printf "      @-  @%d-1  .  %s  %.3f  C  13\n", i, atoms[a], shift[before, atoms[a]] + spread * normal()
            }
          for (a = 1; a <= 4; a++)
            if ((k, atoms[a]) in shift)
              printf "      @-  @%d  .  %s  %s  %s  %s\n", i, atoms[a], shift[k, atoms[a]], substr(atoms[a], 1, 1),
                atoms[a] == "H" ? 1 : atoms[a] == "N" ? 15 : 13
        }
        print "   stop_\nsave_"
      }' "$work/read.nef" >"$work/simulated.nef"
    if [ -n "$keep" ]; then
      cp "$work/simulated.nef" "$keep/$name.$level.nef"
      cp "$work/key" "$keep/$name.$level.key"
    fi
    "$assign" --threads 2 --table - "$work/simulated.nef" 2>/dev/null |
      awk -F'\t' -v entry="$name" -v level="$level" -v key="$work/key" '
        BEGIN { while ((getline line < key) > 0) { split(line, f, "\t"); truth[f[1]] = f[2] } }
        NR == 1 { for (i = 1; i <= NF; i++) col[$i] = i; next }
        !($1 in done) { done[$1] = 1; p = $col["position"]; c = $col["position_class"]
          print entry, level, $1, truth[$1], (p == "" ? "-" : p), ($col["position_probability"] == "" ? 0 : $col["position_probability"]),
            (p == "" ? "-" : c == "" ? "?" : c),
            (p == truth[$1]) }' >>"$work/results"
  done
done

awk '{ n[$2]++; right[$2] += $8; c = $2 " " $7; cn[c]++; cr[c] += $8; classes[$7] = 1
       e = $1 " " $2; en[e]++; er[e] += $8; if (!(e in seen)) { seen[e] = 1; order[++entries] = e } }
  END { printf "level\tspin_systems\tright_%%\tclass\tplaced\tprecision_%%\n"
    split("all partial", levels, " "); split("strong likely weak none -", names, " ")
    for (l = 1; l <= 2; l++) { v = levels[l]; if (!(v in n)) continue
      printf "%s\t%d\t%.2f\t\t\t\n", v, n[v], 100 * right[v] / n[v]
      for (k = 1; k <= 5; k++) { c = v " " names[k]; if (!(c in cn)) continue
        printf "%s\t\t\t%s\t%d\t%.2f\n", v, names[k] == "-" ? "left_out" : names[k], cn[c], 100 * cr[c] / cn[c] } }
    printf "\nentry\tlevel\tspin_systems\tright_%%\n"
    for (i = 1; i <= entries; i++) { split(order[i], f, " "); printf "%s\t%s\t%d\t%.2f\n", f[1], f[2], en[order[i]], 100 * er[order[i]] / en[order[i]] } }' \
  "$work/results"
if [ -n "$keep" ]; then cp "$work/results" "$keep/results.txt"; fi

# The shipped Sec5 file (CcpNmr, partly assigned): each NmrChain of
# unassigned spin systems must come out at consecutive residues of one chain
# in its order, and every assigned residue at its own.
"$assign" --threads 2 --table - "$data/sec5_ccpn_partially_assigned.nef" 2>/dev/null |
  awk -F'\t' 'NR == 1 { for (i = 1; i <= NF; i++) col[$i] = i; next }
    !($1 in done) { done[$1] = 1; p = $col["position"]
      if ($col["declared"] != "") { assigned++; kept += p == $col["chain"] "." $col["sequence_code"] }
      else if ($col["chain"] ~ /^#/) { c = $col["chain"]; n[c]++; at[c, n[c]] = p } }
    END { for (c in n) { chains++; whole = 1
        for (k = 1; k <= n[c]; k++) {
          if (at[c, k] == "") { whole = 0; continue }
          split(at[c, k], f, "."); if (k > 1 && (f[1] != first || f[2] + 0 != start + k - 1)) whole = 0
          if (k == 1) { first = f[1]; start = f[2] + 0 } }
        consecutive += whole }
      printf "\nSec5 file: %d of %d NmrChains at consecutive residues in their order; %d of %d assigned residues at their own\n",
        consecutive, chains, kept, assigned }'
