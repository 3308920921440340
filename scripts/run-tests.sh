#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds and runs every test: the unit and end-to-end tests of the release
# build, then all of them again under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -eu
cd "$(dirname "$0")/.."
sh scripts/ensure-packages.sh cmake ninja-build g++ libgsl-dev libgtest-dev groff-base tmux xz-utils

sh scripts/build.sh build -DBUILD_TESTING=ON
ctest --test-dir build --output-on-failure -j2

sh scripts/build.sh build-sanitize -DBUILD_TESTING=ON -DKESTRIN_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j2
sh scripts/run-fuzz.sh 30
echo "All tests passed."
