#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Accuracy of the statistics on proteins they were not built from, old and
# new side by side:
#
#   cross-validate.sh [--all | --every N] [--sets "backbone full"] [--models "-cfpi -cfpd -cspi -cspd"]
#                     [--columns "old new"] [--left-out-backbone WORDS] [--left-out-full WORDS]
#                     [--outlier-sd X] [--no-heldout] [--keep FOLDER]
#   cross-validate.sh --entries LIST [--models M]
#
# Five-fold cross-validation over the 871 RefDB entries of data/refdb: the
# fold of an entry is its 95 % sequence cluster (INDEX.tsv, cl95) modulo 5,
# so that no cluster is both in the statistics and among the proteins
# scored. The statistics of fold k ("new") are built by the recipe of the
# default statistics (scripts/refdb-recipe.sh) from every entry of the other
# four folds; the entries of fold k are converted with kestrin-spins (types
# declared, so that their ranks can be counted; kestrin's scores do not use
# them) with each column's atom selection and scored by each model. "old"
# is the shipped data/stats_SET.txt with data/atoms_SET.txt. Printed: top-1
# and top-3 (how often the declared type ranks first, or among the first
# three) per model, overall and per amino acid, for each atom set.
#
# Without --all only the entries whose BMRB id is a multiple of 10 are
# scored (83 entries, 9564 spin systems: 282 s of processor time, so about
# 2.4 minutes on 2 idle cores), the
# statistics of each fold still built from all the other folds' entries;
# --all scores every entry (about 25 minutes), --every N those whose BMRB
# id is a multiple of N. Then, unless --no-heldout, the
# 15 held-out proteins of data/raw are scored with the shipped defaults
# data/stats_refdb_SET.txt (built without the 13 RefDB entries that are the
# same protein as one of the 61 of data/raw; INDEX.tsv marks 14, the
# 14th an NMR-STAR 3 file) beside the old files.
#
# --left-out-SET replaces the recipe's list of atoms left out of that set
# ("CODE:ATOM" words, "" for none), to measure what an atom group does,
# and --outlier-sd the recipe's outlier window;
# --keep FOLDER keeps each fold's statistics there (fold_K/).
#
# --entries LIST scores your own assigned entries instead (the files LIST
# names, one a line, in any format kestrin-spins reads; relative names from the
# current folder): each converted with each selection, scored by each model
# with the old and with the default new statistics, the same tables; no
# cross-validation. Entries of proteins that are not in data/refdb (no 95 %
# cluster in common) judge the defaults fairly.
#
# A column is a pair of shell functions: prepare_COLUMN FOLD SET, run once
# per fold and set, and ranks_COLUMN FOLD SET MODEL LIST, printing one line
# "TYPE RANK" per spin system of the entries that the file LIST names (TYPE
# the declared AA3 code, RANK its rank under MODEL). Another column (a
# mixture of statistics, say) is added by defining its two functions here
# and naming it in --columns.
#
# kestrin, kestrin-spins and kestrin-stats are those on the PATH, else those
# of build/ (sh scripts/build.sh build).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
data=$root/data
. "$root/scripts/refdb-recipe.sh"

find_program() {
  command -v "$1" || { [ -x "$root/build/$1" ] && echo "$root/build/$1"; } || {
    echo "$1 is neither on the PATH nor in build/: sh scripts/build.sh build" >&2
    exit 1
  }
}
kestrin=$(find_program kestrin)
spins=$(find_program kestrin-spins)
stats=$(find_program kestrin-stats)

every=10 heldout=yes keep= own=
sets="backbone full"
models="-cfpi -cfpd -cspi -cspd"
columns="old new"
left_backbone=$refdb_left_out_backbone
left_full=$refdb_left_out_full
outlier_sd=$refdb_outlier_sd
while [ $# -gt 0 ]; do
  case $1 in
    --all) every=1 ;;
    --every) every=$2; shift ;;
    --no-heldout) heldout=no ;;
    --sets) sets=$2; shift ;;
    --models) models=$2; shift ;;
    --columns) columns=$2; shift ;;
    --left-out-backbone) left_backbone=$2; shift ;;
    --left-out-full) left_full=$2; shift ;;
    --outlier-sd) outlier_sd=$2; shift ;;
    --keep) keep=$2; shift ;;
    --entries) own=$2; shift ;;
    *) echo "usage: cross-validate.sh [--all | --every N] [--sets S] [--models M] [--columns C] [--left-out-backbone W]" \
         "[--left-out-full W] [--outlier-sd X] [--no-heldout] [--keep FOLDER] | --entries LIST" >&2; exit 1 ;;
  esac
  shift
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -n "$own" ]; then
  # The caller's entries, named from the caller's folder.
  [ -r "$own" ] || { echo "cross-validate.sh: cannot read the entry list $own" >&2; exit 1; }
  mkdir "$work/own"
  awk -v here="$PWD" 'NF && !/^#/ { print (substr($0, 1, 1) == "/" ? $0 : here "/" $0) }' "$own" >"$work/own/list"
fi
cd "$work"

# Spin systems of the entries LIST names, converted with the selection
# ATOMS, into one file: spins_input LIST ATOMS OUTPUT.
# A program that fails marks the run failed (the ranks are printed through
# pipes, whose subshells cannot end the script).
spins_input() {
  : >"$3"
  while read -r entry; do
    "$spins" -af "$2" "$entry" >>"$3" 2>"$work/spins.log" ||
      { cat "$work/spins.log" >&2; touch "$work/failed"; }
  done <"$1"
}

# One line "TYPE RANK" per class block of kestrin's report on standard input;
# type numbers are positions in the atom selection, which lists the 20 amino
# acids in AA3 order.
class_ranks() {
  awk 'BEGIN { split("ALA ARG ASP ASN CYS GLU GLN GLY HIS ILE LEU LYS MET PHE PRO SER THR TRP TYR VAL", code, " ") }
    /^# Is class / { declared = $4 }
    /^# Classe/ { for (i = 3; i <= NF; i++) if ($i == declared) print code[declared], i - 2 }'
}

# kestrin_ranks STATS ATOMS MODEL SPINS
kestrin_ranks() {
  report=$(mktemp "$work/report.XXXXXX")
  if "$kestrin" "$3" -sf "$1" -af "$2" <"$4" >"$report"; then
    class_ranks <"$report"
  else
    echo "cross-validate.sh: kestrin $3 -sf $1 -af $2 failed on $4" >&2
    touch "$work/failed"
  fi
  rm -f "$report"
}

# The shipped statistics of 46 proteins.
prepare_old() { spins_input "fold_$1/scored" "$data/atoms_$2.txt" "fold_$1/old_$2.xml"; }
ranks_old() { kestrin_ranks "$data/stats_$2.txt" "$data/atoms_$2.txt" "$3" "fold_$1/old_$2.xml"; }

# The recipe's statistics of the fold's training entries.
prepare_new() { spins_input "fold_$1/scored" "fold_$1/atoms_refdb_$2.txt" "fold_$1/$2.xml"; }
ranks_new() { kestrin_ranks "fold_$1/stats_refdb_$2.txt" "fold_$1/atoms_refdb_$2.txt" "$3" "fold_$1/$2.xml"; }

# The accuracy table of a file of "COLUMN SET MODEL TYPE RANK" lines.
summarise() {
  awk -v columns="$columns" -v sets="$sets" -v models="$models" '
  BEGIN {
    split("ALA ARG ASP ASN CYS GLU GLN GLY HIS ILE LEU LYS MET PHE PRO SER THR TRP TYR VAL", code, " ")
    n_columns = split(columns, column, " "); n_sets = split(sets, set, " "); n_models = split(models, model, " ")
  }
  {
    n[$1, $2, $3]++; n_type[$1, $2, $3, $4]++
    if ($5 == 1) { top1[$1, $2, $3]++; top1_type[$1, $2, $3, $4]++ }
    if ($5 <= 3) { top3[$1, $2, $3]++; top3_type[$1, $2, $3, $4]++ }
  }
  function percent(part, whole) { return whole ? sprintf("%.1f", 100 * part / whole) : "-" }
  END {
    for (s = 1; s <= n_sets; s++) {
      S = set[s]
      printf "\n%s atoms: top-1 / top-3 in percent\n", S
      printf "spin systems:"
      for (c = 1; c <= n_columns; c++) printf " %s %d", column[c], n[column[c], S, model[1]]
      printf "\n%-6s", "model"
      for (c = 1; c <= n_columns; c++) printf " %13s", column[c]
      print ""
      for (m = 1; m <= n_models; m++) {
        M = model[m]
        printf "%-6s", M
        for (c = 1; c <= n_columns; c++) { C = column[c]; printf " %13s", percent(top1[C, S, M], n[C, S, M]) " / " percent(top3[C, S, M], n[C, S, M]) }
        print ""
      }
      printf "\n%s atoms: top-1 in percent per amino acid, %s (n: spin systems of %s)\n", S, columns, column[n_columns]
      printf "%-4s %6s", "type", "n"
      for (m = 1; m <= n_models; m++) printf " %*s", 7 * n_columns, model[m]
      print ""
      for (t = 1; t <= 20; t++) {
        T = code[t]
        printf "%-4s %6d", T, n_type[column[n_columns], S, model[1], T]
        for (m = 1; m <= n_models; m++) {
          printf " "
          for (c = 1; c <= n_columns; c++) { C = column[c]; printf "%7s", percent(top1_type[C, S, model[m], T], n_type[C, S, model[m], T]) }
        }
        print ""
      }
      printf "\n%s atoms: top-3 in percent per amino acid, %s\n", S, columns
      for (t = 1; t <= 20; t++) {
        T = code[t]
        printf "%-4s %6d", T, n_type[column[n_columns], S, model[1], T]
        for (m = 1; m <= n_models; m++) {
          printf " "
          for (c = 1; c <= n_columns; c++) { C = column[c]; printf "%7s", percent(top3_type[C, S, model[m], T], n_type[C, S, model[m], T]) }
        }
        print ""
      }
    }
  }' "$1"
}

if [ -z "$own" ]; then
  tar -xJf "$data/refdb/refdb_entries.tar.xz" -C "$work" refdb_nmrstar2

  # Training and scored entries of each fold.
  refdb_entries "$data/refdb/INDEX.tsv" >entries
  refdb_folds entries "$every"

  # The new statistics of every fold, two folds at a time.
  for pair in "0 1" "2 3" "4"; do
    jobs=
    for fold in $pair; do
      refdb_statistics "$stats" "fold_$fold" "fold_$fold/train" "$left_backbone" "$left_full" "$sets" "$outlier_sd" &
      jobs="$jobs $!"
    done
    for job in $jobs; do
      wait "$job" || { echo "cross-validate.sh: the statistics of a fold failed (above)" >&2; exit 1; }
    done
  done
  if [ -n "$keep" ]; then
    for fold in 0 1 2 3 4; do
      mkdir -p "$keep/fold_$fold"
      cp "fold_$fold"/*_refdb_*.txt "$keep/fold_$fold/"
    done
fi

# One line "COLUMN SET MODEL TYPE RANK" per spin system scored.
for fold in 0 1 2 3 4; do
  for set in $sets; do
    for column in $columns; do
      "prepare_$column" $fold "$set"
      for model in $models; do
        "ranks_$column" $fold "$set" "$model" | sed "s/^/$column $set $model /"
      done
    done
  done
done >ranks
[ ! -e "$work/failed" ] || exit 1

scored=$(cat fold_*/scored | wc -l)
echo "Cross-validation: 5 folds of whole 95 % sequence clusters of the 871 RefDB entries;" \
  "$scored entries scored ($([ "$every" = 1 ] && echo "all" || echo "BMRB id a multiple of $every"))"
echo "old: data/stats_SET.txt (46 proteins); new: the recipe of data/stats_refdb_SET.txt on the other four folds"
echo "atoms left out: backbone '$left_backbone', full '$left_full'; outliers beyond $outlier_sd sd left out"
summarise ranks
fi

# Entries scored with the shipped old files and with the defaults
# themselves: score_defaults LIST FOLDER (LIST names the entries, one path
# a line) writes FOLDER/ranks. Full atoms are also counted over the
# entries with side-chain assignments alone (at least one side-chain shift
# per spin system on average), as heldout-accuracy.sh does. An entry that
# kestrin-spins cannot convert is named on standard error and left out.
count_shifts() { awk -F'"' '/^  <cs / { shifts += $4 } /^<res / { systems++ } END { print shifts + 0, systems + 0 }' "$1"; }
score_defaults() {
  : >"$2/scored"
  while read -r entry; do
    converted=yes
    for set in backbone full; do
      for column in old new; do
        [ $column = old ] && atoms=$data/atoms_$set.txt || atoms=$data/atoms_refdb_$set.txt
        "$spins" -af "$atoms" "$entry" >"$2/${column}_$set.xml" 2>"$2/spins.log" || converted=no
      done
    done
    if [ $converted = no ]; then
      echo "cross-validate.sh: left out $entry: $(head -n 1 "$2/spins.log")" >&2
      continue
    fi
    echo "$entry" >>"$2/scored"
    full=$(count_shifts "$2/old_full.xml")
    backbone=$(count_shifts "$2/old_backbone.xml")
    entry_sets="backbone full"
    [ $((${full% *} - ${backbone% *})) -lt "${full#* }" ] || entry_sets="$entry_sets sidechain"
    for set in $entry_sets; do
      atoms=$set
      [ "$set" = sidechain ] && atoms=full
      for model in $models; do
        kestrin_ranks "$data/stats_$atoms.txt" "$data/atoms_$atoms.txt" "$model" "$2/old_$atoms.xml" |
          sed "s/^/old $set $model /"
        kestrin_ranks "$data/stats_refdb_$atoms.txt" "$data/atoms_refdb_$atoms.txt" "$model" "$2/new_$atoms.xml" |
          sed "s/^/new $set $model /"
      done
    done
  done <"$1" >"$2/ranks"
  [ ! -e "$work/failed" ] || exit 1
}
columns="old new"
sets="backbone full sidechain"

if [ -n "$own" ]; then
  score_defaults own/list own
  echo "Your entries: $(wc -l <own/scored) of the $(wc -l <own/list) that $own names; old: data/stats_SET.txt," \
    "new: data/stats_refdb_SET.txt; sidechain: full atoms, the entries with side-chain assignments"
  summarise own/ranks
  exit 0
fi

[ "$heldout" = yes ] || exit 0

# The held-out proteins, with the defaults themselves.
mkdir heldout
grep -v '^#' "$data/raw/entries_heldout.txt" >heldout/names
tar -xJf "$data/raw/shiftx2_testset_corrected_str.tar.xz" -C heldout $(cat heldout/names)
sed "s|^|$work/heldout/|" heldout/names >heldout/list
score_defaults heldout/list heldout
echo
echo "Held-out: the $(wc -l <heldout/list) proteins of data/raw/entries_heldout.txt; old: data/stats_SET.txt," \
  "new: data/stats_refdb_SET.txt; sidechain: full atoms, the entries with side-chain assignments"
summarise heldout/ranks
