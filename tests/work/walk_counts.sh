#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The work of the -cfpd and -cspd walks on the full-atom example proteins, as
# kestrin_walk_counts counts it, may exceed what they score today by at most
# a fifth: trying the most plausible atom last, or skipping less (with the
# looser missing-rate bound of max(miss, 1 - miss) per atom, -cfpd scores
# 1.26 times today's on 1huu), fails here however fast the machine is.
#
#   walk_counts.sh KESTRIN_WALK_COUNTS DATA_FOLDER
set -u
counts=$1
data=$2
failed=0
# protein, then the attachments -cfpd and -cspd score today
for today in "1huu 901618 88160" "2hze 1017335 125105"; do
  set -- $today
  most=$(awk -v a="$2" -v b="$3" 'BEGIN { printf "%.0f", 1.2 * (a > b ? a : b) }')
  report=$("$counts" --most "$most" -af "$data/atoms_full.txt" -sf "$data/stats_full.txt" \
    <"$data/protein_$1_full_unk.xml") || { echo "kestrin_walk_counts failed on $1"; exit 1; }
  for model in -cfpd -cspd; do
    [ "$model" = -cfpd ] && expected=$2 || expected=$3
    limit=$(awk -v e="$expected" 'BEGIN { printf "%.0f", 1.2 * e }')
    line=$(printf '%s\n' "$report" | grep -e "^$model: ")
    scored=$(printf '%s\n' "$line" | awk '$2 ~ /^[0-9]+$/ { print $2 }')
    echo "$1 $line (today $expected, at most $limit)"
    if [ -z "$scored" ] || [ "$scored" -gt "$limit" ]; then
      echo "  too much work"
      failed=1
    fi
  done
done
exit $failed
