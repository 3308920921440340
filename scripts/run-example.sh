#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the four programs, installs them into build/install, and runs the
# installed kestrin-assign on the shipped NEF file with the installed default
# statistics; then runs the others on the shipped example data: kestrin
# scores protein 1HUU (backbone atoms, types hidden) with all four models;
# kestrin-spins converts a raw BMRB entry that the statistics never saw
# (15517) and kestrin scores it; kestrin-stats rebuilds the backbone
# statistics from the 46 raw entries they were derived from.
set -eu
cd "$(dirname "$0")/.."
sh scripts/ensure-packages.sh cmake ninja-build g++ libgsl-dev libgtest-dev xz-utils
sh scripts/build.sh build -DBUILD_TESTING=OFF
cmake --install build --prefix build/install >/dev/null
echo "== kestrin-assign, installed in build/install: the Sec5 NEF file, 75 spin systems unassigned"
build/install/bin/kestrin-assign build/install/share/doc/kestrin/examples/sec5_ccpn_partially_assigned.nef
echo
echo "== kestrin: protein 1HUU, backbone atoms, types hidden, all four models"
./build/kestrin -cfpi -cfpd -cspi -cspd -sf data/stats_backbone.txt -af data/atoms_backbone.txt \
  < data/protein_1huu_backbone_unk.xml

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tar -xJf data/raw/shiftx2_testset_corrected_str.tar.xz -C "$work"
echo
echo "== kestrin-spins: BMRB 15517, full atoms, types hidden, scored by kestrin -cspd"
./build/kestrin-spins -af data/atoms_full.txt --hide-types "$work/A017_bmr15517.str.corr.pdbresno" \
  | ./build/kestrin -cspd -sf data/stats_full.txt -af data/atoms_full.txt
echo
echo "== kestrin-stats: the backbone statistics rebuilt from their 46 entries (first lines)"
(cd "$work" && grep -v '^#' "$OLDPWD/data/raw/entries_statistics_backbone.txt" \
  | xargs "$OLDPWD/build/kestrin-stats" --backbone > stats_backbone.txt)
head -n 8 "$work/stats_backbone.txt"
echo "== compared with the shipped data/stats_backbone.txt:"
sh scripts/compare-statistics.sh data/stats_backbone.txt "$work/stats_backbone.txt"
