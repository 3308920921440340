#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Compares two statistics files number by number: compare-statistics.sh SHIPPED REBUILT
# The first header line (what a file was built from) is not compared; every
# other line must be the same, except covariance cells that are one unit
# apart in their last printed digit, which are listed (each symmetric pair
# once, by the atoms of its row and column). Exit status 0 when nothing else
# differs, 1 otherwise.
set -eu
[ $# -eq 2 ] || { echo "usage: compare-statistics.sh SHIPPED REBUILT" >&2; exit 1; }
awk -v shipped="$1" -v rebuilt="$2" '
function fail(what) { print "  " what; failed = 1 }
# The integer of a number printed with six decimals: "-1.275533" gives -1275533.
function units(text,    sign) {
  sign = 1
  if (substr(text, 1, 1) == "-") { sign = -1; text = substr(text, 2) }
  sub(/\./, "", text)
  return sign * (text + 0)
}
BEGIN {
  name = shipped; sub(/.*\//, "", name)
  line = 0; block = ""; lines = 0; blocks = 0; cells = 0; apart = 0
  while ((getline a < shipped) > 0) {
    line++
    if ((getline b < rebuilt) <= 0) { fail("line " line ": the rebuilt file ends here"); break }
    if (line == 1) continue
    if (a ~ /^<cov /) { block = a; sub(/.*res="/, "", block); sub(/".*/, "", block); row = 0; blocks++ }
    if (block == "" && a !~ /^#/) { lines++; atoms[a_res(a), ++count[a_res(a)]] = a_atom(a) }
    if (a == b) {
      if (block != "" && a !~ /^<\/?cov/) { cells += split(a, x, " "); row++ }
      if (a ~ /^<\/cov>/) block = ""
      continue
    }
    if (block == "" || a ~ /^<\/?cov/) { fail("line " line " differs:\n    " a "\n    " b); continue }
    n = split(a, x, " ")
    if (split(b, y, " ") != n) { fail("line " line ": " n " values shipped, " split(b, y, " ") " rebuilt"); continue }
    for (c = 1; c <= n; c++) {
      cells++
      if (x[c] == y[c]) continue
      d = units(x[c]) - units(y[c])
      if (!six_decimals(x[c]) || !six_decimals(y[c]) || (d != 1 && d != -1)) {
        fail("line " line ", column " c ": " x[c] " shipped, " y[c] " rebuilt")
        continue
      }
      apart++
      if (c - 1 > row) listed[++pairs] = sprintf("  %s %s/%s: %s shipped, %s rebuilt", block, atoms[block, row + 1], atoms[block, c], x[c], y[c])
    }
    row++
  }
  if (!failed && (getline b < rebuilt) > 0) fail("the rebuilt file goes on after line " line)
  printf "%s: %d atom lines, %d covariance blocks of %d cells; ", name, lines, blocks, cells
  if (failed) print "the differences above"
  else if (apart == 0) print "all equal"
  else printf "all equal but %d cells one unit apart in the sixth decimal:\n", apart
  for (i = 1; i <= pairs; i++) print listed[i]
  exit failed
}
function six_decimals(text) { return text ~ /^-?[0-9]+\.[0-9]+$/ && length(text) - index(text, ".") == 6 }
function a_res(text) { split(text, f, " "); return f[1] }
function a_atom(text) { split(text, f, " "); return f[2] }
'
