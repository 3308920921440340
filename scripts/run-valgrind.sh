#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every end-to-end case once with kestrin under valgrind's memcheck:
# each case must still give its expected output and status, and memcheck
# must report no error and no definite or possible leak.
set -eu
cd "$(dirname "$0")/.."
sh scripts/ensure-packages.sh cmake ninja-build g++ libgsl-dev valgrind
cmake -S . -B build-valgrind -G Ninja -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-valgrind -j2 --target kestrin kestrin-spins

# run_case.sh calls the binary it is given and finds the companion programs
# beside it; these stand-ins named kestrin and kestrin-spins run the real ones
# under memcheck, one log per process.
logs=$(cd build-valgrind && pwd)/valgrind-logs
wrapper=$(cd build-valgrind && pwd)/memcheck/kestrin
rm -rf "$logs" && mkdir -p "$logs" "$(dirname "$wrapper")"
for program in kestrin kestrin-spins; do
  cat >"$(dirname "$wrapper")/$program" <<WRAPPER
#!/bin/sh
exec valgrind -q --error-exitcode=99 --leak-check=full --log-file="$logs/%p.log" \
  "$(cd build-valgrind && pwd)/$program" "\$@"
WRAPPER
  chmod +x "$(dirname "$wrapper")/$program"
done

failed=0
for case_dir in tests/e2e/cases/*/; do
  if ! sh tests/e2e/run_case.sh "$wrapper" "$case_dir"; then
    echo "FAILED under memcheck: $case_dir"
    failed=1
  fi
done
for log in "$logs"/*.log; do
  if [ -s "$log" ]; then
    echo "== memcheck report $log:"
    cat "$log"
    failed=1
  fi
done
[ "$failed" = 0 ] && echo "All end-to-end cases clean under memcheck."
exit $failed
