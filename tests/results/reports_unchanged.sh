#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Every end-to-end case again, with a table and a picture asked for before
# its own arguments: reports, messages and status must stay byte for byte as
# expected, and a run leaves at most its two files when it succeeds and
# nothing at all, not even a temporary, when it fails:
# reports_unchanged.sh KESTRIN CASES_FOLDER
set -u
kestrin=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
cases=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
for program in "$(dirname "$kestrin")"/kestrin-*; do
  if [ -x "$program" ]; then ln -s "$program" "$work/bin/"; fi
done
cat >"$work/bin/kestrin" <<EOF
#!/bin/sh
out=\$(mktemp -d "$work/run.XXXXXX") || exit 99
"$kestrin" --table "\$out/table.tsv" --plot "\$out/picture.svg" "\$@"
status=\$?
left=\$(ls -A "\$out" | grep -v -x -e table.tsv -e picture.svg)
if [ -n "\$left" ]; then echo "left behind: \$left" >&2; fi
if [ "\$status" -ne 0 ] && [ -n "\$(ls -A "\$out")" ]; then echo "a failed run left files" >&2; fi
rm -rf "\$out"
exit \$status
EOF
chmod +x "$work/bin/kestrin"

failed=0
for case_dir in "$cases"/*/; do
  if ! KESTRIN_REGENERATE=0 sh "$here/../e2e/run_case.sh" "$work/bin/kestrin" "$case_dir"; then
    echo "with --table and --plot: $case_dir"
    failed=1
  fi
done
exit $failed
