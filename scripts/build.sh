#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds one build folder: build.sh FOLDER [cmake options...]
set -eu
cd "$(dirname "$0")/.."
folder=$1
shift
cmake -S . -B "$folder" -G Ninja "$@" >/dev/null
cmake --build "$folder" -j2
