#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the manual page as man does and fails on any groff warning, on a
# missing section, or on a version other than the program's:
# render_man_page.sh PAGE VERSION
set -u
page=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# -P-cbou: plain text without bold or underlining, so headings can be matched.
groff -ww -man -Tutf8 -P-cbou "$page" >"$work/text" 2>"$work/warnings"
status=$?
failed=0
if [ "$status" -ne 0 ] || [ -s "$work/warnings" ]; then
  echo "groff exited with $status and warned:"
  cat "$work/warnings"
  failed=1
fi
for section in NAME SYNOPSIS DESCRIPTION OPTIONS FILES OUTPUT "EXIT STATUS" DIAGNOSTICS EXAMPLES; do
  if ! grep -q "^$section\$" "$work/text"; then
    echo "section $section is missing from the rendered page"
    failed=1
  fi
done
if ! grep -q "^kestrin $version " "$work/text"; then
  echo "the page's footer does not name kestrin $version:"
  tail -n 1 "$work/text"
  failed=1
fi
exit $failed
