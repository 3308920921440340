#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The README's script, taken from the README as it stands, run on a real
# table: its top type of every named spin system and its count of declared
# types that rank first must be those of the reports of the same run:
# readme_script.sh KESTRIN SOURCE_FOLDER
set -u
kestrin=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sed -n '/<!-- table script: begins -->/,/<!-- table script: ends -->/p' "$source/README.md" | grep -v -e '^<!--' -e '^```' \
  >"$work/script.sh"
if [ ! -s "$work/script.sh" ]; then
  echo "no table script in the README"
  exit 1
fi
awk '/^<res / { n++; sub(/>/, " name=\"A." n "\">") } 1' "$source/data/protein_1huu_full.xml" >"$work/named.xml"
cd "$work" || exit 1
"$kestrin" -cspi -cspd -sf "$source/data/stats_full.txt" -af "$source/data/atoms_full.txt" --table table.tsv \
  <named.xml >reports || exit 1
sh script.sh >got || { echo "the script failed"; exit 1; }

# The same from the reports: the class blocks of the two models, one after the other.
awk -v models="cspi cspd" '
  FILENAME == ARGV[1] { if (!/^#/ && NF >= 3 && !($1 in seen)) { seen[$1] = 1; code[++types] = $1 } next }
  BEGIN { split(models, model, " ") }
  /^# Is class/ { declared = $4; next }
  /^# Classe/ {
    spin++
    if (spin > 90) { m++; spin = 1 }
    print model[m + 1] "\tA." spin "\t" code[$3]
    if ($3 == declared) first[m + 1]++
    total[m + 1]++
  }
  END { for (i = 1; i <= 2; i++) print model[i] ": the declared type ranks first for " first[i] + 0 " of " total[i] " spin systems" }
' "$source/data/atoms_full.txt" reports >expected
# The script also prints each top type's share, which the reports round.
if ! awk -F '\t' 'NF == 4 { print $1 "\t" $2 "\t" $3; next } { print }' got | cmp -s - expected; then
  echo "the README script disagrees with the reports (expected, then got):"
  awk -F '\t' 'NF == 4 { print $1 "\t" $2 "\t" $3; next } { print }' got | diff expected - | head -n 20
  exit 1
fi
tail -n 2 got
