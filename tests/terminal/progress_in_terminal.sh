#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a long -cfpd pass in a real terminal (tmux), on 1 and 2 threads,
# and checks that the progress line appears while it runs, counts the spin
# systems of the whole input, is erased when it ends, and that the report
# itself is unchanged by it and by the number of threads.
set -u
bin=$1
data=$2
command -v tmux >/dev/null || { echo "tmux is not installed"; exit 1; }
work=$(mktemp -d)
session=kestrin_progress
# Each run gets a tmux server of its own on a private socket: a shared
# default server may be shutting down (its last session just killed) or be
# used by another test at the same moment, and a new session then fails.
socket=
term() { tmux -S "$socket" "$@"; }
trap '[ -n "$socket" ] && term kill-server 2>/dev/null; rm -rf "$work"' EXIT

# 2HZE's full-atom spin systems 24 times over: a pass of several seconds on
# two threads.
for _ in $(seq 1 24); do cat "$data/protein_2hze_full_unk.xml"; done >"$work/input.xml"
spins=$(grep -c '^<res' "$work/input.xml")
"$bin" -cfpd --threads 1 -sf "$data/stats_full.txt" -af "$data/atoms_full.txt" <"$work/input.xml" \
  >"$work/expected" 2>"$work/stderr" || { echo "the redirected run failed"; exit 1; }
[ -s "$work/stderr" ] && { echo "a redirected run wrote to standard error"; exit 1; }

for threads in 1 2; do
  rm -f "$work/finished" "$work/report"
  run="'$bin' -cfpd --threads $threads -sf '$data/stats_full.txt' -af '$data/atoms_full.txt' < '$work/input.xml' > '$work/report'; echo done > '$work/finished'"
  socket=$work/tmux-$threads.socket
  term new-session -d -s "$session" -x 120 -y 10 "sh -c \"$run; sleep 30\"" ||
    { echo "tmux could not start a session for the run on $threads threads"; exit 1; }
  seen=no
  for _ in $(seq 1 1200); do
    if term capture-pane -p -t "$session" | grep -q "kestrin -cfpd: [0-9]* of $spins spin systems, [0-9]* s"; then seen=yes; fi
    [ -f "$work/finished" ] && break
    sleep 0.1
  done
  [ -f "$work/finished" ] || { echo "the run on $threads threads did not finish"; exit 1; }
  sleep 0.3
  screen=$(term capture-pane -p -t "$session")
  term kill-server
  [ "$seen" = yes ] || { echo "no progress line was seen during the run on $threads threads"; exit 1; }
  if printf '%s' "$screen" | grep -q "spin systems"; then
    echo "the progress line was not erased after the run on $threads threads:"; printf '%s\n' "$screen"; exit 1
  fi
  cmp -s "$work/report" "$work/expected" || { echo "the report on $threads threads differs from a redirected run"; exit 1; }
done
echo "progress line shown and erased on 1 and 2 threads"
