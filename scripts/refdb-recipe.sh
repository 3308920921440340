# SPDX-License-Identifier: GPL-3.0-or-later
# The recipe of the default statistics built from the RefDB entries, shared
# by rebuild-refdb-statistics.sh and cross-validate.sh, so that the
# cross-validation judges exactly what is shipped. Sourced, not run.
#
#   refdb_statistics KESTRIN_STATS OUTDIR LIST LEFT_OUT_BACKBONE LEFT_OUT_FULL [SETS [OUTLIER_SD]]
#
# writes OUTDIR/stats_refdb_backbone.txt, atoms_refdb_backbone.txt,
# stats_refdb_full.txt and atoms_refdb_full.txt from the entries that the
# file LIST names (one per line, relative to the current folder), and each
# set's kestrin-stats summary to OUTDIR/summary_refdb_SET.txt; after a
# failure it shows kestrin-stats' message and returns 1. Per set: the
# atoms with at least 20 shifts (kestrin-stats' default; --backbone for the
# backbone set), less the atoms of LEFT_OUT_* ("CODE:ATOM" words, e.g.
# "SER:HG TYR:HH"), then the statistics of exactly that selection. SETS
# ("backbone full" by default) names the sets to build, OUTLIER_SD the
# outlier window of kestrin-stats (--outlier-sd; by default the recipe's).
# The backbone statistics take each backbone atom's missing rate over every
# type together (--pool-missing): measured with kestrin on the 15 held-out
# proteins, backbone top-1 63.1 -> 65.7 % (-cfpi) and 69.6 -> 70.8 %
# (-cfpd); the full set, with neither gain nor loss, keeps the types' own.

# Which atoms the measurements of README's "Default statistics" section
# leave out (scripts/measure-atom-groups.sh): they pass the count, but the
# models rank worse, or no better, with them. The labile protons are also
# the slowest to score. The amide protons of ASN and GLN and the second ring
# carbons of PHE and TYR come with an atom that is kept (the amide N, the
# first ring carbon of the pair, equal in shift by ring flips): the models
# count each missing atom as independently missing, so a group assigned all
# or nothing costs its type several missing rates where one says as much.
refdb_left_out_backbone=""
refdb_left_out_full="ARG:HH11 ARG:HH12 ARG:HH21 ARG:HH22 HIS:HD1 HIS:HE2 SER:HG THR:HG1 TYR:HH HIS:CE1 HIS:ND1 HIS:NE2 ASN:HD21 ASN:HD22 GLN:HE21 GLN:HE22 PHE:CD2 PHE:CE2 TYR:CD2 TYR:CE2"
# Shifts further than this many first-pass standard deviations from the
# first-pass mean are left out of the moments and correlations.
refdb_outlier_sd=5

# The selection on standard input without the atoms named in $1, and a
# comment line naming them.
refdb_drop_atoms() {
  awk -v drop="$1" '
    BEGIN { n = split(drop, atoms, " "); for (i = 1; i <= n; i++) { left[atoms[i]] = 1; gsub(":", " ", atoms[i]) } }
    NR == 4 && n > 0 { line = "# left out by measurement:"; for (i = 1; i <= n; i++) line = line " " atoms[i] (i < n ? "," : ""); print line }
    !/^#/ && NF >= 3 && (($1 ":" $2) in left) { next }
    { print }'
}

refdb_statistics() {
  _stats=$1 _out=$2 _list=$3 _outlier=${7:-$refdb_outlier_sd}
  for _set in ${6:-backbone full}; do
    if [ "$_set" = backbone ]; then _left=$4 _option=--backbone _pool=--pool-missing; else _left=$5 _option= _pool=--side-chain-groups; fi
    _atoms=$_out/atoms_refdb_$_set.txt _summary=$_out/summary_refdb_$_set.txt
    # shellcheck disable=SC2086 # the option is one word or none
    "$_stats" $_option --outlier-sd "$_outlier" --atoms-out "$_out/candidates_$_set.txt" "@$_list" \
      >/dev/null 2>"$_summary" &&
      refdb_drop_atoms "$_left" <"$_out/candidates_$_set.txt" >"$_atoms" &&
      "$_stats" -af "$_atoms" $_pool --outlier-sd "$_outlier" "@$_list" >"$_out/stats_refdb_$_set.txt" 2>"$_summary" ||
      { cat "$_summary" >&2; return 1; }
    rm -f "$_out/candidates_$_set.txt"
  done
}

# The statistics per secondary-structure class of each set, for the atoms
# of the set's selection that refdb_statistics wrote into OUTDIR:
#   refdb_class_statistics KESTRIN_STATS OUTDIR LIST [SETS [OUTLIER_SD]]
# writes OUTDIR/stats_refdb_SET_CLASS.txt, CLASS helix, sheet and coil
# (kestrin-stats --class: the residues of that class by the chemical-shift
# index of their own entry).
refdb_class_statistics() {
  _stats=$1 _out=$2 _list=$3 _outlier=${5:-$refdb_outlier_sd}
  for _set in ${4:-backbone full}; do
    _groups=
    [ "$_set" = full ] && _groups=--side-chain-groups
    for _class in helix sheet coil; do
      # shellcheck disable=SC2086 # the option is one word or none
      "$_stats" -af "$_out/atoms_refdb_$_set.txt" $_groups --outlier-sd "$_outlier" --class "$_class" "@$_list" \
        >"$_out/stats_refdb_${_set}_$_class.txt" 2>"$_out/summary_refdb_${_set}_$_class.txt" ||
        { cat "$_out/summary_refdb_${_set}_$_class.txt" >&2; return 1; }
    done
  done
}

# The RefDB entries of the index (data/refdb/INDEX.tsv), one line each:
# file, BMRB id, fold (the 95 % sequence cluster modulo 5, so that no
# cluster is on both sides of a fold), "yes" when the entry is the same
# protein as one of the 61 of data/raw.
refdb_entries() {
  awk -F '\t' '
    NR == 1 { for (i = 1; i <= NF; i++) column[$i] = i; next }
    $column["subset"] == "refdb_nmrstar2" {
      print $column["file"], $column["bmrb_id"], $column["cl95"] % 5, $column["same_protein_as_current61_95pct"]
    }' "$1"
}

# The five folds of the cross-validation in the current folder: from the
# file ENTRIES (refdb_entries' lines), fold_K/train lists every entry of the
# other folds and fold_K/scored the entries of fold K whose BMRB id is a
# multiple of EVERY.
#   refdb_folds ENTRIES EVERY
refdb_folds() {
  for _fold in 0 1 2 3 4; do
    mkdir "fold_$_fold"
    awk -v k=$_fold '$3 != k { print $1 }' "$1" >"fold_$_fold/train"
    awk -v k=$_fold -v every="$2" '$3 == k && $2 % every == 0 { print $1 }' "$1" >"fold_$_fold/scored"
  done
}

# The five folds in the current folder with every fold's statistics by the
# recipe of the defaults (one file per set and one per class, from the
# other four folds), two folds at a time: from the entries of data/refdb,
# with fold_K/scored the entries of fold K whose BMRB id is a multiple of
# EVERY.
#   refdb_fold_statistics ROOT KESTRIN_STATS EVERY
refdb_fold_statistics() {
  tar -xJf "$1/data/refdb/refdb_entries.tar.xz" refdb_nmrstar2
  refdb_entries "$1/data/refdb/INDEX.tsv" >entries
  refdb_folds entries "$3"
  for _pair in "0 1" "2 3" "4"; do
    _jobs=
    for _fold in $_pair; do
      { refdb_statistics "$2" "fold_$_fold" "fold_$_fold/train" "$refdb_left_out_backbone" "$refdb_left_out_full" &&
        refdb_class_statistics "$2" "fold_$_fold" "fold_$_fold/train"; } &
      _jobs="$_jobs $!"
    done
    for _job in $_jobs; do wait "$_job" || { echo "the statistics of a fold failed" >&2; return 1; }; done
  done
}

# The program NAME on the PATH, else the one of ROOT/build; fails with a
# message when there is neither.
#   refdb_program ROOT NAME
refdb_program() {
  command -v "$2" && return 0
  [ -x "$1/build/$2" ] && { echo "$1/build/$2"; return 0; }
  echo "no $2: sh scripts/build.sh build" >&2
  return 1
}
