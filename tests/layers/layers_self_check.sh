#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The layer check against a small tree with one violation of each kind
# planted, and against the same tree mended: the check must name every
# planted violation, and pass the mended tree.
# layers_self_check.sh CHECK_LAYERS_SH
set -u
check=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src/low" "$work/src/mid" "$work/src/top" "$work/src/stray"
printf 'low\nreader\nmid\ntop\nnever mid reader\n' >"$work/layers.txt"
mkdir "$work/src/reader"
printf '#include "low/a.h"\n' >"$work/src/reader/r.h"
printf '// a low header\n#include <vector>\n' >"$work/src/low/a.h"
printf '#include "low/a.h"\n#include "mid/m.h"\n' >"$work/src/mid/m.cpp"
printf '#include "mid/m.h"\n  #  include "low/a.h"\n' >"$work/src/top/t.cpp"
# The planted violations, one line each.
printf '#include "top/t.h"\n' >"$work/src/low/up.cpp"
printf '#include "reader/r.h"\n' >"$work/src/mid/reads.h"
printf '# include  "a.h"\n' >"$work/src/low/bare.cpp"
printf '#include "nowhere/x.h"\n' >"$work/src/top/lost.cpp"
printf '#include "low/a.h"\n' >"$work/src/stray/s.cpp"
printf '#include "low/a.h"\n' >"$work/src/loose.cpp"

expected='src/loose.cpp: a source file outside every room
src/low/bare.cpp:1: "a.h" names no room (include it as ROOM/a.h)
src/low/up.cpp:1: low/ includes "top/t.h", a room above it
src/mid/reads.h:1: mid/ includes "reader/r.h": mid/ never includes reader/
src/stray/: a room without a place in the layer order (LAYERS)
src/top/lost.cpp:1: "nowhere/x.h" is in no room of the layer order'
got=$(sh "$check" "$work/src" "$work/layers.txt" | sed "s|$work/layers.txt|LAYERS|")
failed=0
if [ "$got" != "$expected" ]; then
  echo "FAILED: the planted violations were reported as"
  echo "$got"
  failed=1
fi
sh "$check" "$work/src" "$work/layers.txt" >/dev/null && { echo "FAILED: a tree with violations passes"; failed=1; }

rm "$work/src/low/up.cpp" "$work/src/mid/reads.h" "$work/src/low/bare.cpp" "$work/src/top/lost.cpp" \
   "$work/src/loose.cpp"
rm -r "$work/src/stray"
got=$(sh "$check" "$work/src" "$work/layers.txt")
[ $? = 0 ] && [ -z "$got" ] || { echo "FAILED: the mended tree: $got"; failed=1; }
exit $failed
