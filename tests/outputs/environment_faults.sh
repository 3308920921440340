#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Every output of every program against the faults of its environment: a full
# device, a closed descriptor, a small full file system, a read-only folder,
# a dangling symbolic link, an existing file whose mode must survive, and two
# outputs naming one file. A failure must end with status 1, one message
# naming the real reason, nothing on standard output (kestrin's reports, which
# follow each pass, excepted) and every file as it was; a success must keep
# links and modes. With "memory" last, also each program out of memory.
# environment_faults.sh BIN_DIR DATA_DIR TESTS_DIR [memory]
set -u
bin=$1
data=$2
tests=$3
memory=${4:-}
PATH="$bin:$PATH"
work=$(mktemp -d)
mounted=""
cleanup() {
  for m in $mounted; do umount "$m" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work" || exit 2
failed=0
complain() { echo "FAILED: $*"; failed=1; }
# same_content A B: equal, but for the creation time and identifier that
# every NEF file written carries.
same_content() {
  [ -f "$1" ] && [ -f "$2" ] &&
    [ "$(grep -Ev "_nef_nmr_meta_data\.(creation_date|uuid) " "$1")" = "$(grep -Ev "_nef_nmr_meta_data\.(creation_date|uuid) " "$2")" ]
}

tar -xJf "$data/raw/shiftx2_testset_corrected_str.tar.xz" A036_bmr4047.str.corr.pdbresno || exit 2
entry=$work/A036_bmr4047.str.corr.pdbresno
printf 'ALA H H\nALA CA C\nGLY H H\nGLY CA C\n' >selection.txt
sparky=$tests/formats/data/sparky_P3a_L273R_shifts_short.txt
inputs=$tests/e2e/inputs

# The programs' outputs, each as "program:output": the command writes that
# output to the file named by $1 (or to standard output, redirected to $1).
outputs="kestrin:stdout kestrin:--table kestrin:--plot kestrin-spins:stdout kestrin-stats:stdout kestrin-stats:--atoms-out
  kestrin-assign:stdout kestrin-assign:--table kestrin-assign:--nef kestrin-assign:--plot"
run_output() {  # run_output PROGRAM:OUTPUT TARGET: writes the output there, the rest to out.txt
  case $1 in
    kestrin:stdout) kestrin -cfpi -af "$inputs/atoms5.txt" -sf "$inputs/stats5.txt" <"$inputs/spins_mixed.xml" >"$2" ;;
    kestrin:--*) kestrin -cfpi -af "$inputs/atoms5.txt" -sf "$inputs/stats5.txt" "${1#kestrin:}" "$2" \
                   <"$inputs/spins_mixed.xml" >out.txt ;;
    kestrin-spins:stdout) kestrin-spins "$sparky" >"$2" ;;
    kestrin-stats:stdout) kestrin-stats -af selection.txt "$entry" >"$2" ;;
    kestrin-stats:--atoms-out) kestrin-stats -af selection.txt --atoms-out "$2" "$entry" >out.txt ;;
    kestrin-assign:stdout) kestrin-assign "$sparky" >"$2" ;;
    kestrin-assign:--*) kestrin-assign "${1#kestrin-assign:}" "$2" "$sparky" >out.txt ;;
  esac
}
is_file_output() { case $1 in *:--*) return 0 ;; esac; return 1; }

# expect_failure WHAT OUTPUT TARGET REASON: status 1, one line naming REASON,
# no temporary left, standard output empty where the output is not standard
# output itself (kestrin's reports excepted).
expect_failure() {
  what=$1 output=$2 target=$3 reason=$4
  : >out.txt
  run_output "$output" "$target" 2>err.txt
  status=$?
  [ "$status" = 1 ] || complain "$output $what: status $status"
  # kestrin-assign tells what it read before it writes: its notes are no errors.
  awk '!/^kestrin-assign: / || /^kestrin-assign: error: /' err.txt >errors.txt
  [ "$(wc -l <errors.txt)" = 1 ] && grep -q "$reason" errors.txt || complain "$output $what: message $(cat err.txt)"
  case $output in
    kestrin:*) ;;
    *) if is_file_output "$output" && [ -s out.txt ]; then complain "$output $what: standard output written"; fi ;;
  esac
  leftovers=$(find . -name '.kestrin-*' | head -n 1)
  [ -z "$leftovers" ] || complain "$output $what: temporary left: $leftovers"
}

# The content each output has on success, to compare with.
for output in $outputs; do
  run_output "$output" "expected.$output" 2>/dev/null || complain "$output: a plain run fails"
done

for output in $outputs; do
  expect_failure "to /dev/full" "$output" /dev/full "No space left on device"
  if is_file_output "$output"; then
    expect_failure "to a closed descriptor" "$output" /dev/fd/7 "No such file or directory"
    expect_failure "in a missing folder" "$output" no/such/file "No such file or directory"
  else
    case $output in
      kestrin:stdout) kestrin -cfpi -af "$inputs/atoms5.txt" -sf "$inputs/stats5.txt" <"$inputs/spins_mixed.xml" >&- 2>err.txt ;;
      kestrin-spins:stdout) kestrin-spins "$sparky" >&- 2>err.txt ;;
      kestrin-stats:stdout) kestrin-stats -af selection.txt --atoms-out closed.txt "$entry" >&- 2>err.txt ;;
      kestrin-assign:stdout) kestrin-assign --nef closed.txt "$sparky" >&- 2>err.txt ;;
    esac
    status=$?
    [ "$status" = 1 ] && grep -q "Bad file descriptor" err.txt || complain "$output to a closed descriptor: $status $(cat err.txt)"
    [ ! -e closed.txt ] || complain "$output to a closed descriptor: the file beside it was written"
  fi

  if is_file_output "$output"; then
    # A dangling link stays a link, and the file it names is written.
    rm -f link target.txt
    ln -s target.txt link
    run_output "$output" link 2>/dev/null || complain "$output through a dangling link: status $?"
    [ -L link ] && same_content target.txt "expected.$output" || complain "$output through a dangling link: link or content lost"
    # A replaced file keeps its mode; a long name works.
    long=$(printf '%0250d' 0)
    printf 'old\n' >"$long"
    chmod 0604 "$long"
    run_output "$output" "$long" 2>/dev/null || complain "$output to a 250-character name: status $?"
    [ "$(stat -c %a "$long")" = 604 ] && same_content "$long" "expected.$output" || complain "$output: mode or content of the replaced file"
    rm -f "$long"
  fi
done

# Two outputs naming one file, however spelt, are refused before any work.
: >one.txt
kestrin -cfpi -af "$inputs/atoms5.txt" -sf "$inputs/stats5.txt" --table one.txt --plot ./one.txt \
  <"$inputs/spins_mixed.xml" >out.txt 2>err.txt
[ $? = 1 ] && [ ! -s out.txt ] && [ ! -s one.txt ] && grep -q "Error: --table and --plot name the same file './one.txt'.$" err.txt ||
  complain "--table and --plot on one file: $(cat err.txt)"
: >one.txt
kestrin-assign --table one.txt --plot ./one.txt "$sparky" >out.txt 2>err.txt
[ $? = 1 ] && [ ! -s out.txt ] && [ ! -s one.txt ] && grep -q "^kestrin-assign: error: --table and --plot name the same file" err.txt ||
  complain "kestrin-assign --table and --plot on one file: $(cat err.txt)"
rm -f two.txt
kestrin-assign --table two.txt --plot ./two.txt "$sparky" >out.txt 2>err.txt
[ $? = 1 ] && [ ! -s out.txt ] && [ ! -e two.txt ] && grep -q "^kestrin-assign: error: --table and --plot name the same file ./two.txt$" err.txt ||
  complain "kestrin-assign --table and --plot on one new file: $(grep error err.txt)"
# An output on standard output waits for the files: one failing leaves it empty.
kestrin-assign --table - --nef /dev/full "$sparky" >out.txt 2>err.txt
[ $? = 1 ] && [ ! -s out.txt ] || complain "kestrin-assign --table - --nef /dev/full: standard output written"
kestrin-stats -af selection.txt --atoms-out /dev/stdout "$entry" >one.txt 2>err.txt
[ $? = 1 ] && [ ! -s one.txt ] && grep -q "^Error: --atoms-out needs a file" err.txt || complain "--atoms-out /dev/stdout"
kestrin-stats -af selection.txt --atoms-out /proc/self/fd/1 "$entry" >one.txt 2>err.txt
[ $? = 1 ] && [ ! -s one.txt ] || complain "--atoms-out /proc/self/fd/1"

# A small file system filled up, and a read-only one: mounted where the
# system lets this test mount (as root), else a folder without write
# permission when that stops the user; skipped otherwise, saying why.
small=$work/small
mkdir small read_only
if mount -t tmpfs -o size=64k tmpfs "$small" 2>/dev/null; then
  mounted="$small"
  printf 'old\n' >"$small/kept"
  chmod 0600 "$small/kept"
  head -c 1000000 /dev/zero >"$small/filler" 2>/dev/null
  for output in $outputs; do
    if is_file_output "$output"; then
      expect_failure "to a full file system" "$output" "$small/kept" "No space left on device"
      [ "$(cat "$small/kept")" = old ] && [ "$(stat -c %a "$small/kept")" = 600 ] ||
        complain "$output to a full file system: the old file changed"
    else
      expect_failure "to a full file system" "$output" "$small/out" "No space left on device"
    fi
  done
  rm -f "$small"/.kestrin-* 2>/dev/null
else
  echo "skipped: a full small file system (cannot mount a tmpfs here)"
fi
if mount -t tmpfs -o ro,size=64k tmpfs "$work/read_only" 2>/dev/null; then
  mounted="$mounted $work/read_only"
  reason="Read-only file system"
elif chmod 0555 read_only && ! (: >read_only/probe) 2>/dev/null; then
  reason="Permission denied"
else
  reason=""
  echo "skipped: a read-only folder (neither a read-only mount nor permissions stop this user)"
fi
if [ -n "$reason" ]; then
  for output in $outputs; do
    if is_file_output "$output"; then expect_failure "in a read-only folder" "$output" read_only/f "$reason"; fi
  done
fi

# Out of memory: each program ends with status 1 and a message.
if [ "$memory" = memory ]; then
  for program in kestrin-spins kestrin-stats; do
    (ulimit -v 400000; "$program" /dev/zero) >out.txt 2>err.txt
    status=$?
    [ "$status" = 1 ] && [ ! -s out.txt ] &&
      grep -q "^Error: /dev/zero: unable to allocate memory ([0-9]* bytes) for its content$" err.txt ||
      complain "$program out of memory: status $status, $(cat err.txt)"
  done
  (ulimit -v 400000; kestrin -cfpi -af /dev/zero -sf x) </dev/null >out.txt 2>err.txt
  status=$?
  [ "$status" = 1 ] && grep -q "^Unable to allocate memory ([0-9]* bytes) for the input's lines$" err.txt ||
    complain "kestrin out of memory: status $status, $(cat err.txt)"
  # Past reading too: 20000 spin systems need far more than 30 MB.
  awk 'BEGIN { print "Group Atom Nuc Shift SDev Assignments"
    for (i = 1; i <= 20000; i++) printf "A%d CA 13C 56.1 0.0 1\nA%d N 15N 120.0 0.0 1\n", i, i }' >many.txt
  (ulimit -v 30000; kestrin-assign --threads 1 --table table.txt many.txt) >out.txt 2>err.txt
  status=$?
  [ "$status" = 1 ] && [ ! -s out.txt ] && [ ! -e table.txt ] &&
    grep -q "^kestrin-assign: error: .*unable to allocate memory" err.txt ||
    complain "kestrin-assign out of memory: status $status, $(tail -n 1 err.txt)"
  # Threads that cannot be had for want of memory for their stacks, some
  # (200 of 8 MB each) or all (stacks of 900 MB): the same results.
  for limits in "8192 200" "900000 3"; do
    set -- $limits
    (ulimit -v 400000; ulimit -s "$1"; kestrin-assign --threads "$2" "$sparky") >out.txt 2>/dev/null
    status=$?
    [ "$status" = 0 ] && cmp -s out.txt expected.kestrin-assign:stdout ||
      complain "kestrin-assign on $2 threads with stacks of $1 kB: status $status"
    (ulimit -v 400000; ulimit -s "$1"; kestrin -cfpi -af "$inputs/atoms5.txt" -sf "$inputs/stats5.txt" --threads "$2" \
      <"$inputs/spins_mixed.xml") >out.txt 2>/dev/null
    status=$?
    [ "$status" = 0 ] && cmp -s out.txt expected.kestrin:stdout || complain "kestrin on $2 threads with stacks of $1 kB: status $status"
  done
fi
exit $failed
