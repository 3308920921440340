#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Times whole runs of kestrin, model by model, on full-atom proteins, side by
# side with the release before it (built from git in the same run), on 1 and
# 2 threads, checks that every report is the same byte for byte, and prints
# Markdown tables:
#
#   sh bench/run-benchmark.sh [--refdb] [spin_systems.xml ...]
#
# The inputs are scored with data/atoms_full.txt and data/stats_full.txt,
# or with --refdb the default statistics data/atoms_refdb_full.txt and
# data/stats_refdb_full.txt (give it inputs converted with that selection:
# bench/real-proteins.sh --refdb);
# without arguments, the shipped 1HUU and 2HZE full-atom inputs and the
# synthetic worst cases (with their own atoms and statistics). The previous
# release is the git commit KESTRIN_PREVIOUS (default 907ac42); it is built
# in a temporary worktree. Each time is the median of three runs, the
# versions' runs interleaved, so that other work on the machine disturbs
# them alike; times are wall-clock seconds of whole processes, start-up
# included. Then the straightforward enumeration (kestrin_literal) is timed
# on the inputs short enough for it, and the walks' counts are printed.
#
# Targets (a machine of 2 cores): -cfpd under 1 s, -cspd under 0.1 s and all
# four models together under 1.5 s on every full-atom protein, on 2 threads;
# peak memory under 50 MiB.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
sh scripts/ensure-packages.sh cmake ninja-build g++ libgsl-dev libgtest-dev time git
sh scripts/build.sh build -DBUILD_TESTING=ON >/dev/null
current=$root/build/kestrin
literal=$root/build/bench/kestrin_literal
work=$(mktemp -d)
previous_ref=${KESTRIN_PREVIOUS:-907ac42}
cleanup() {
  git -C "$root" worktree remove --force "$work/previous" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

git -C "$root" worktree add --detach "$work/previous" "$previous_ref" >/dev/null 2>&1
cmake -S "$work/previous" -B "$work/previous/build" -G Ninja -DBUILD_TESTING=OFF >/dev/null
cmake --build "$work/previous/build" -j2 --target kestrin >/dev/null
previous=$work/previous/build/kestrin

# One run; prints "seconds peak_KiB" and keeps the report.
run_once() { # report program args... (input on standard input of the caller's choice)
  out=$1
  shift
  start=$(date +%s.%N)
  /usr/bin/time -f "%M" -o "$work/memory" "$@" >"$out"
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" -v m="$(cat "$work/memory")" 'BEGIN { printf "%.3f %d\n", e - s, m }'
}

median() { sort -n | sed -n 2p; }

atoms=data/atoms_full.txt
stats=data/stats_full.txt
if [ "${1:-}" = --refdb ]; then
  atoms=data/atoms_refdb_full.txt
  stats=data/stats_refdb_full.txt
  shift
fi
if [ $# -gt 0 ]; then
  for f in "$@"; do echo "$f $atoms $stats"; done >"$work/inputs"
else
  for p in 1huu 2hze; do echo "data/protein_${p}_full_unk.xml $atoms $stats"; done >"$work/inputs"
  for c in ten_alike_h alike_h_and_c; do
    echo "bench/synthetic/spins_$c.xml bench/synthetic/atoms_$c.txt bench/synthetic/stats_$c.txt"
  done >>"$work/inputs"
fi

echo "Machine: $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo)"
echo "Previous release: $(git -C "$root" log -1 --format='%h %s' "$previous_ref")"
echo
echo "| input | model | previous (s) | now, 1 thread (s) | now, 2 threads (s) | speed-up, 2 threads | peak memory now (MiB) | same report |"
echo "|---|---|---|---|---|---|---|---|"
: >"$work/slowest"
while read -r input a s; do
  label=$(basename "$input" .xml)
  for model in -cfpi -cfpd -cspi -cspd all; do
    [ "$model" = all ] && options="-cfpi -cfpd -cspi -cspd" || options=$model
    : >"$work/p"
    : >"$work/n1"
    : >"$work/n2"
    for _ in 1 2 3; do
      run_once "$work/previous.out" "$previous" $options -af "$a" -sf "$s" <"$input" >>"$work/p"
      run_once "$work/now1.out" "$current" $options --threads 1 -af "$a" -sf "$s" <"$input" >>"$work/n1"
      run_once "$work/now2.out" "$current" $options --threads 2 -af "$a" -sf "$s" <"$input" >>"$work/n2"
    done
    p=$(cut -d' ' -f1 "$work/p" | median)
    n1=$(cut -d' ' -f1 "$work/n1" | median)
    n2=$(cut -d' ' -f1 "$work/n2" | median)
    kib=$(cat "$work/n1" "$work/n2" | cut -d' ' -f2 | sort -n | tail -1)
    same=yes
    cmp -s "$work/previous.out" "$work/now1.out" && cmp -s "$work/previous.out" "$work/now2.out" || same=NO
    ratio=$(awk -v a="$p" -v b="$n2" 'BEGIN { printf "%.1f×", a / b }')
    mib=$(awk -v k="$kib" 'BEGIN { printf "%.1f", k / 1024 }')
    printf '| %s | %s | %s | %s | %s | %s | %s | %s |\n' "$label" "$model" "$p" "$n1" "$n2" "$ratio" "$mib" "$same"
    echo "$model $n2 $n1 $p $label" >>"$work/slowest"
  done
done <"$work/inputs"

echo
echo "Slowest input per model, on 2 threads (target met: -cfpd < 1 s, -cspd < 0.1 s, all four < 1.5 s):"
echo
echo "| model | input | now, 2 threads (s) | now, 1 thread (s) | previous (s) | target met |"
echo "|---|---|---|---|---|---|"
for model in -cfpi -cfpd -cspi -cspd all; do
  grep -e "^$model " "$work/slowest" | sort -k2 -n | tail -1 | while read -r m n2 n1 p label; do
    case $m in
      -cfpd) target=1.0 ;;
      -cspd) target=0.1 ;;
      all) target=1.5 ;;
      *) target= ;;
    esac
    met=$([ -z "$target" ] && echo "—" || awk -v t="$n2" -v g="$target" 'BEGIN { print (t < g) ? "yes" : "NO" }')
    printf '| %s | %s | %s | %s | %s | %s |\n' "$m" "$label" "$n2" "$n1" "$p" "$met"
  done
done

if [ $# -eq 0 ]; then
  echo
  echo "The straightforward enumeration, on inputs short enough for it (median of three fast runs, one literal run):"
  echo
  echo "| input | model | kestrin, 1 thread (s) | literal (s) | same report |"
  echo "|---|---|---|---|---|"
  e=tests/e2e/inputs
  for input in data/protein_1huu_backbone_unk.xml data/protein_2hze_backbone_unk.xml $e/protein_1huu_full_unk_subset.xml \
    $e/protein_2hze_full_subset.xml bench/synthetic/spins_ten_alike_h.xml bench/synthetic/spins_alike_h_and_c.xml; do
    case $input in
      *backbone*) a=data/atoms_backbone.txt s=data/stats_backbone.txt ;;
      bench/synthetic/*) c=$(basename "$input" .xml) c=${c#spins_} a=bench/synthetic/atoms_$c.txt s=bench/synthetic/stats_$c.txt ;;
      *) a=$atoms s=$stats ;;
    esac
    for model in -cfpi -cfpd -cspi -cspd; do
      : >"$work/f"
      for _ in 1 2 3; do run_once "$work/fast.out" "$current" $model --threads 1 -af "$a" -sf "$s" <"$input" >>"$work/f"; done
      set -- $(run_once "$work/literal.out" "$literal" $model --threads 1 -af "$a" -sf "$s" <"$input")
      same=$(cmp -s "$work/fast.out" "$work/literal.out" && echo yes || echo NO)
      printf '| %s | %s | %s | %s | %s |\n' "$(basename "$input" .xml)" "$model" "$(cut -d' ' -f1 "$work/f" | median)" "$1" "$same"
    done
  done
fi

echo
while read -r input a s; do
  echo "$(basename "$input" .xml): $(build/bench/kestrin_walk_counts -af "$a" -sf "$s" <"$input" | tr '\n' ';' | sed 's/;$//; s/;/; /')"
done <"$work/inputs"
