#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Converts every real protein the project ships (the 61 NMR-STAR 2.1 entries
# of data/raw and the NEF, NMR-STAR, Sparky and TALOS files of
# tests/formats/data), and any further shift files named, into full-atom
# spin systems for the benchmark, and prints the files written:
#
#   sh bench/run-benchmark.sh $(sh bench/real-proteins.sh FOLDER [shift files...])
#   sh bench/run-benchmark.sh --refdb $(sh bench/real-proteins.sh --refdb FOLDER [shift files...])
#
# converted with data/atoms_full.txt, or with --refdb with the default
# selection data/atoms_refdb_full.txt.
# kestrin-spins is the one of build/ (sh scripts/build.sh build).
set -eu
cd "$(dirname "$0")/.."
atoms=data/atoms_full.txt
if [ "${1:-}" = --refdb ]; then
  atoms=data/atoms_refdb_full.txt
  shift
fi
[ $# -ge 1 ] || { echo "usage: sh bench/real-proteins.sh [--refdb] FOLDER [shift files...]" >&2; exit 1; }
out=$1
shift
spins=build/kestrin-spins
[ -x "$spins" ] || { echo "$spins is missing: sh scripts/build.sh build" >&2; exit 1; }
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tar -xJf data/raw/shiftx2_testset_corrected_str.tar.xz -C "$work"
for file in "$work"/* tests/formats/data/*.nef tests/formats/data/*.str tests/formats/data/*.txt \
  tests/formats/data/*.tab "$@"; do
  name=$(basename "$file")
  name=${name%%.*}
  if "$spins" -af "$atoms" "$file" >"$out/$name.xml" 2>"$work/messages" &&
    grep -q '^<res' "$out/$name.xml"; then
    echo "$out/$name.xml"
  else
    rm -f "$out/$name.xml"
    echo "left out $file: $(head -1 "$work/messages")" >&2
  fi
done
