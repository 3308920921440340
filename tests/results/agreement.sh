#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The table agrees with the reports of the same run, all four models: every
# prediction line lists exactly the rows whose share is at least 0.01, rounded,
# in rank order; every class block names the declared type and ranks the types
# as the rows do; each share is the row's score over the spin system's total:
# agreement.sh KESTRIN STATISTICS ATOM_SELECTION SPIN_SYSTEMS
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! "$1" -cfpi -cfpd -cspi -cspd -sf "$2" -af "$3" --table "$work/table.tsv" <"$4" >"$work/reports"; then
  echo "kestrin failed on $4"
  exit 1
fi

awk -F '\t' '
  FILENAME == ARGV[1] {
    if (!/^#/ && split($0, f, " ") >= 3 && !(f[1] in number)) number[f[1]] = ++types
    next
  }
  FILENAME == ARGV[2] {
    if (FNR == 1) next
    if (!($1 in seen)) { seen[$1] = 1; model[++models] = $1 }
    key = $1 SUBSEP $2
    if (!(key in rows)) spins[$1]++
    rows[key]++
    if ($8 != rows[key]) fail("rank " $8 " in row " rows[key] " of " $1 " spin system " $2)
    type[key, $8] = $5; score[key, $8] = $6; share[key, $8] = $7; declared[key] = $4
    total[key] += $6
    next
  }
  function fail(what) { print FILENAME ": " what; failed = 1 }
  function letter(code) { return substr("ARDNCEQGHILKMFPSTWYV", number[code], 1) }
  # Reports: one entry per spin system, the models one after the other.
  FILENAME == ARGV[3] {
    if (!inblock) {
      spin++
      if (m == 0 || spin > spins[model[m]]) { m++; spin = 1 }
    }
    key = model[m] SUBSEP spin
    if ($0 ~ /^# Is class /) {
      if (substr($0, 12) != number[declared[key]]) fail("line " FNR ": declared " declared[key])
      inblock = 1
      next
    }
    inblock = 0
    expected = ""
    if ($0 ~ /^# Classe/) {
      for (r = 1; r <= rows[key]; r++) expected = expected sprintf("%3d", number[type[key, r]])
      got = substr($0, 9)
    } else {
      for (r = 1; r <= rows[key]; r++)
        if (share[key, r] != "" && share[key, r] + 0 >= 0.01)
          expected = expected sprintf("%c (%.2f) ", letter(type[key, r]), share[key, r])
      expected = sprintf("%3d: ", spin) expected
      got = $0
    }
    if (got != expected) fail("line " FNR ": " $0 "\n  the table gives: " expected)
    next
  }
  END {
    for (k = 1; k <= models; k++) {
      checked += spins[model[k]]
      for (key in rows) {
        split(key, part, SUBSEP)
        if (part[1] != model[k]) continue
        for (r = 1; r <= rows[key]; r++) {
          if (share[key, r] == "") continue
          difference = score[key, r] / total[key] - share[key, r]
          if (difference > 5.01e-7 || difference < -5.01e-7) fail("share " share[key, r] " of score " score[key, r])
        }
      }
    }
    if (models != 4 || m != 4 || spin != spins[model[4]]) fail("reports and table end at different places")
    if (failed) exit 1
    print "agree: " checked " spin systems in " models " models"
  }
' "$3" "$work/table.tsv" "$work/reports"
