#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a long -cfpd pass in a real terminal (tmux) and checks that the
# progress line appears while it runs, is erased when it ends, and that the
# report itself is unchanged by it.
set -u
bin=$1
data=$2
command -v tmux >/dev/null || { echo "tmux is not installed"; exit 1; }
work=$(mktemp -d)
session=kestrin_progress_$$
trap 'tmux kill-session -t "$session" 2>/dev/null; rm -rf "$work"' EXIT

run="'$bin' -cfpd -sf '$data/stats_full.txt' -af '$data/atoms_full.txt' < '$data/protein_2hze_full_unk.xml' > '$work/report'; echo done > '$work/finished'"
tmux new-session -d -s "$session" -x 120 -y 10 "sh -c \"$run; sleep 30\""

seen=no
for _ in $(seq 1 600); do
  if tmux capture-pane -p -t "$session" | grep -q "kestrin -cfpd: [0-9]* of 106 spin systems, [0-9]* s"; then seen=yes; fi
  [ -f "$work/finished" ] && break
  sleep 0.1
done
[ -f "$work/finished" ] || { echo "the run did not finish"; exit 1; }
sleep 0.3
screen=$(tmux capture-pane -p -t "$session")

[ "$seen" = yes ] || { echo "no progress line was seen during the run"; exit 1; }
if printf '%s' "$screen" | grep -q "spin systems"; then
  echo "the progress line was not erased:"; printf '%s\n' "$screen"; exit 1
fi
"$bin" -cfpd -sf "$data/stats_full.txt" -af "$data/atoms_full.txt" < "$data/protein_2hze_full_unk.xml" 2>"$work/stderr" | cmp -s - "$work/report" \
  || { echo "the report differs from a redirected run"; exit 1; }
[ -s "$work/stderr" ] && { echo "a redirected run wrote to standard error"; exit 1; }
echo "progress line shown and erased"
