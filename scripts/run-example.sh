#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds kestrin and scores the shipped backbone example (protein 1HUU, types
# hidden) with all four models.
set -eu
cd "$(dirname "$0")/.."
sh scripts/ensure-packages.sh cmake ninja-build g++ libgsl-dev libgtest-dev
sh scripts/build.sh build -DBUILD_TESTING=OFF
./build/kestrin -cfpi -cfpd -cspi -cspd -sf data/stats_backbone.txt -af data/atoms_backbone.txt \
  < data/protein_1huu_backbone_unk.xml
