#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from a build folder and checks it as a packager
# would: lintian reports no error and no warning beyond the overrides the
# package ships, and the unpacked programs, manual pages, copyright file and
# changelog are all there and work, and the default statistics and atom
# selections that src/defaults/default_statistics.h names are in
# share/kestrin, the same bytes as the source's data/.
#   check_package.sh BUILD_FOLDER SOURCE_DIR
set -u
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" >cpack.log 2>&1); then
  cat "$work/cpack.log"
  exit 1
fi
deb=$(ls "$work"/*.deb)
echo "built $(basename "$deb")"

failed=0
lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1
if grep -E '^[EW]: ' "$work/lintian.log"; then
  echo "lintian reports errors or warnings (above)"
  failed=1
fi

dpkg-deb -x "$deb" "$work/root"
doc=$work/root/usr/share/doc/kestrin
for file in "$doc/copyright" "$doc/changelog.gz"; do
  [ -s "$file" ] || { echo "missing: ${file#"$work"/root}"; failed=1; }
done
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$doc/copyright" \
  || { echo "copyright file is not in the machine-readable format"; failed=1; }
for program in "$work"/root/usr/bin/*; do
  name=$(basename "$program")
  version=$("$program" -v 2>&1)
  case "$version" in
    "This is $name release number "*) ;;
    *) echo "$name -v printed: $version"; failed=1 ;;
  esac
  page=$work/root/usr/share/man/man1/$name.1.gz
  if [ ! -s "$page" ]; then
    echo "no manual page for $name"
    failed=1
  elif ! zcat "$page" | groff -man -Tutf8 -ww -z 2>"$work/groff.log" || [ -s "$work/groff.log" ]; then
    echo "the manual page of $name does not render cleanly:"
    cat "$work/groff.log"
    failed=1
  fi
done
defaults=$(grep -o '"[a-z_]*\.txt"' "$source/src/defaults/default_statistics.h" | tr -d '"' | sort -u)
[ -n "$defaults" ] || { echo "src/defaults/default_statistics.h names no default file"; failed=1; }
for name in $defaults; do
  cmp -s "$work/root/usr/share/kestrin/$name" "$source/data/$name" ||
    { echo "the package does not carry data/$name as usr/share/kestrin/$name"; failed=1; }
done
[ "$failed" = 0 ] && echo "package checked: lintian clean, $(ls "$work"/root/usr/bin | wc -l) programs with their manual pages," \
  "$(echo "$defaults" | wc -w) default data files"
exit $failed
