#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one end-to-end case: the folder's `cmd` is a shell snippet that calls
# `kestrin` or its companion programs, found first on the PATH in the folder of
# the kestrin binary given as the first argument; its standard output, standard error and exit status must equal
# the folder's `stdout`, `stderr` and `status` byte for byte. Source line
# numbers in locator lines are masked ("at line N"), since they move with
# every edit. KESTRIN_REGENERATE=1 rewrites the expected files instead.
set -u
bin=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
case_dir=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(
  cd "$case_dir" || exit 99
  DATA="$here/../../data"
  INPUTS="$here/inputs"
  export DATA INPUTS
  PATH="$(dirname "$bin"):$PATH"
  . ./cmd
) >"$work/stdout.raw" 2>"$work/stderr.raw" </dev/null
echo $? >"$work/status"
for stream in stdout stderr; do
  sed 's/^kestrin: at line [0-9][0-9]* in /kestrin: at line N in /' "$work/$stream.raw" >"$work/$stream"
done

if [ "${KESTRIN_REGENERATE:-0}" = 1 ]; then
  cp "$work/stdout" "$work/stderr" "$work/status" "$case_dir/"
  echo "regenerated $case_dir"
  exit 0
fi

failed=0
for file in stdout stderr status; do
  if ! cmp -s "$case_dir/$file" "$work/$file"; then
    echo "== $file differs in $case_dir (expected, then got):"
    diff "$case_dir/$file" "$work/$file" | head -n 40
    failed=1
  fi
done
exit $failed
