#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Every source, script and build file of the project names its licence in its
# first lines: check_licence_lines.sh SOURCE_DIR. Lists the files that do not.
set -u
cd "$1" || exit 2
if [ -d .git ] || [ -f .git ]; then
  files=$(git ls-files)
else
  files=$(find . -type f ! -path './build*' | sed 's|^\./||')
fi
missing=$(printf '%s\n' "$files" \
  | grep -E '\.(c|cc|cpp|h|hpp|sh|cmake|py|awk|1|dict)$|(^|/)CMakeLists\.txt$|^\.ci/run$|(^|/)cmd$' \
  | while read -r file; do
      head -n 3 "$file" | grep -q 'SPDX-License-Identifier: GPL-3.0-or-later' || echo "$file"
    done)
if [ -n "$missing" ]; then
  echo "no SPDX-License-Identifier line in the first three lines of:"
  echo "$missing"
  exit 1
fi
