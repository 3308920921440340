#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that every quoted include of every source file under SRC points to
# its own room or to a room below it in the layer order LAYERS (and never to
# a room that LAYERS forbids); prints each violation, file and line first,
# and ends with status 1 if there is one.
# check_layers.sh SRC LAYERS
set -u
src=$1
layers=$2
[ -d "$src" ] && [ -r "$layers" ] || { echo "usage: check_layers.sh SRC LAYERS" >&2; exit 2; }
case $layers in /*) ;; *) layers=$(pwd)/$layers ;; esac
cd "$src" || exit 2
find . -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.cc' \) | sed 's|^\./||' | LC_ALL=C sort |
  LC_ALL=C awk -v layers="$layers" '
    BEGIN {
      while ((getline line < layers) > 0) {
        sub(/#.*/, "", line)
        n = split(line, word, /[ \t]+/)
        k = 0
        for (i = 1; i <= n; i++) if (word[i] != "") field[++k] = word[i]
        if (k == 1) level[field[1]] = ++rooms
        else if (k == 3 && field[1] == "never") never[field[2] SUBSEP field[3]] = 1
        else if (k > 0) { print layers ": not a room or a never line: " line; bad = 1 }
      }
      close(layers)
      if (rooms == 0) { print layers ": no room"; bad = 1; exit }
    }
    {
      path = $0
      if (index(path, "/") == 0) { print "src/" path ": a source file outside every room"; bad = 1; next }
      room = substr(path, 1, index(path, "/") - 1)
      if (!(room in level)) {
        if (!(room in told)) print "src/" room "/: a room without a place in the layer order (" layers ")"
        told[room] = 1
        bad = 1
        next
      }
      number = 0
      while ((getline text < path) > 0) {
        number++
        if (text !~ /^[ \t]*#[ \t]*include[ \t]*"/) continue
        header = text
        sub(/^[ \t]*#[ \t]*include[ \t]*"/, "", header)
        sub(/".*/, "", header)
        where = "src/" path ":" number ": "
        if (index(header, "/") == 0) { print where "\"" header "\" names no room (include it as ROOM/" header ")"; bad = 1; continue }
        to = substr(header, 1, index(header, "/") - 1)
        if (to == room) continue
        if (!(to in level)) { print where "\"" header "\" is in no room of the layer order"; bad = 1; continue }
        if (level[to] > level[room]) { print where room "/ includes \"" header "\", a room above it"; bad = 1 }
        if ((room SUBSEP to) in never) { print where room "/ includes \"" header "\": " room "/ never includes " to "/"; bad = 1 }
      }
      close(path)
    }
    END { exit bad ? 1 : 0 }
  '
