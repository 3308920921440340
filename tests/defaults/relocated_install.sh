#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# An installed tree that is moved elsewhere still finds its default data:
# installs the build folder into a temporary prefix, moves the prefix, puts
# the probe program into the moved bin/ and checks that it finds every
# default file in the moved share/kestrin, the same bytes as the source's
# data/, and that a file taken away is missing rather than found in the
# source tree.
#   relocated_install.sh BUILD_FOLDER PROBE SOURCE_DIR
set -u
build=$1 probe=$2 source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/installed" >"$work/install.log" 2>&1 || { cat "$work/install.log"; exit 1; }
mv "$work/installed" "$work/moved"
cp "$probe" "$work/moved/bin/probe"
"$work/moved/bin/probe" >"$work/found" || exit 1
failed=0
[ -s "$work/found" ] || { echo "the probe names no default file"; failed=1; }
while IFS="$(printf '\t')" read -r name path; do
  if [ "$path" != "$work/moved/bin/../share/kestrin/$name" ]; then
    echo "$name: found at '$path', not in the moved share/kestrin"
    failed=1
  elif ! cmp -s "$path" "$source/data/$name"; then
    echo "$name: the installed file differs from data/$name"
    failed=1
  fi
done <"$work/found"
first=$(head -n 1 "$work/found" | cut -f 1)
rm "$work/moved/share/kestrin/$first"
found=$("$work/moved/bin/probe" | awk -v name="$first" -F '\t' '$1 == name { print $2 }')
[ "$found" = none ] || { echo "$first: taken away, yet found at '$found'"; failed=1; }
[ "$failed" = 0 ] && echo "a moved installation finds its $(wc -l <"$work/found") default files"
exit $failed
