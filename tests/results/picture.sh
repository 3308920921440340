#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The picture is well-formed XML (xmllint), renders (rsvg-convert, to a PNG of
# the picture's size), and shows the table: one cell per row with the row's
# share, darker for a larger share, grey without shares, and the declared
# type outlined exactly where the row's type is the declared one. Tried on
# protein 1HUU with names, and on names that XML cannot take as they are:
# picture.sh KESTRIN DATA_FOLDER E2E_INPUTS_FOLDER
set -u
kestrin=$1
data=$2
inputs=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

# Names as a converter writes them, one per residue.
awk '/^<res / { n++; sub(/>/, " name=\"A." n "\">") } 1' "$data/protein_1huu_full.xml" >"$work/named.xml"
# Markup characters, stray bytes, a control character, a tab, a long name.
printf '%s\n' '<res type="UNK" name="<&amp;>'"'"'x'"'"'">' '</res>' \
  '<res type="ALA" name="caf'"$(printf '\351')"' '"$(printf '\001\t')"'é">' '</res>' \
  '<res type="UNK" name="a name much longer than any label">' '  <cs type="H" n="3">' '8 4 2' '</res>' >"$work/odd.xml"

check() {  # check NAME MODELS STATS ATOMS INPUT
  name=$1
  shift
  models=$1
  # shellcheck disable=SC2086
  if ! "$kestrin" $models -sf "$2" -af "$3" --table "$work/$name.tsv" --plot "$work/$name.svg" <"$4" >/dev/null; then
    echo "$name: kestrin failed"
    failed=1
    return
  fi
  xmllint --noout "$work/$name.svg" || { echo "$name: not well-formed"; failed=1; }
  if ! rsvg-convert "$work/$name.svg" -o "$work/$name.png"; then
    echo "$name: does not render"
    failed=1
    return
  fi
  # PNG signature, then width and height in the header chunk.
  png=$(od -An -tu1 -N24 "$work/$name.png" | tr -s ' \n' '  ')
  size=$(sed -n 's/^<svg [^>]* width="\([0-9]*\)" height="\([0-9]*\)".*/\1 \2/p' "$work/$name.svg")
  echo "$png $size" | awk '{
      if ($1 != 137 || $2 != 80 || $3 != 78 || $4 != 71) { print "not a PNG"; exit 1 }
      w = (($17 * 256 + $18) * 256 + $19) * 256 + $20; h = (($21 * 256 + $22) * 256 + $23) * 256 + $24
      if (w != $25 || h != $26) { print "PNG of " w "x" h " for a picture of " $25 "x" $26; exit 1 }
    }' || { echo "$name: wrong rendering"; failed=1; }

  awk -F '\t' '
    function attribute(name) {
      if (!match($0, " " name "=\"[^\"]*\"")) return ""
      return substr($0, RSTART + length(name) + 3, RLENGTH - length(name) - 4)
    }
    function fail(what) { print what; failed = 1 }
    FILENAME == ARGV[1] {
      if (FNR == 1) next
      key = $1 SUBSEP $2 SUBSEP $5
      share[key] = $7
      rows++
      if ($4 == $5) outlined[key] = 1
      next
    }
    /<g class="heat-map"/ { model = attribute("data-model") }
    /class="cell"/ {
      key = model SUBSEP attribute("data-spin") SUBSEP attribute("data-type")
      if (!(key in share)) fail("a cell without a row: " $0)
      else if (attribute("data-share") != share[key]) fail("share " share[key] " in the table: " $0)
      if (key in cell_x) fail("two cells: " $0)
      cell_x[key] = attribute("x"); cell_y[key] = attribute("y")
      fill = attribute("fill")
      if (share[key] == "") { if (fill != "#bdbdbd") fail("no share but coloured: " $0) }
      else print share[key], fill > "/dev/stderr"
      cells++
    }
    /class="declared"/ {
      key = model SUBSEP attribute("data-spin") SUBSEP attribute("data-type")
      if (!(key in outlined)) fail("outlined, but not the declared type: " $0)
      else if (attribute("x") + 0 != cell_x[key] + 1.5 || attribute("y") + 0 != cell_y[key] + 1.5)
        fail("outline away from its cell: " $0)
      marked[key] = 1
    }
    END {
      for (key in outlined) if (!(key in marked)) fail("declared type without outline: " key)
      if (cells != rows) fail(cells " cells for " rows " rows")
      exit failed
    }
  ' "$work/$name.tsv" "$work/$name.svg" 2>"$work/$name.colours" || { echo "$name: cells differ from the table"; failed=1; }

  # Darker (a smaller sum of the three channels) for every larger share.
  sort -g -k1,1 "$work/$name.colours" | awk '
    function hex(s,   i, v) { v = 0; for (i = 1; i <= length(s); i++) v = v * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1; return v }
    { light = hex(substr($2, 2, 2)) + hex(substr($2, 4, 2)) + hex(substr($2, 6, 2))
      if (NR > 1 && light > last) { print "share " $1 " lighter than a smaller share"; exit 1 }
      last = light }' || { echo "$name: shading does not follow the shares"; failed=1; }
  echo "$name: $(grep -c 'class="cell"' "$work/$name.svg") cells checked"
}

check 1huu "-cfpi -cspd" "$data/stats_full.txt" "$data/atoms_full.txt" "$work/named.xml"
check odd "-cfpi" "$inputs/stats5.txt" "$inputs/atoms5.txt" "$work/odd.xml"
exit $failed
