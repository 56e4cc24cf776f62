#!/bin/sh
# Builds the Debian packages tavrel, tavrel-window and tavrel-ansible (and the -dbgsym
# packages of the first two) with dpkg-buildpackage, from a copy of the checkout as it is:
# scripts/package.sh [OUT_DIR] (default build/package). The copy, OUT_DIR/tavrel, keeps the
# build tree for autopkgtest; OUT_DIR gets the packages and the .changes file.
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$src/build/package}" && cd "${1:-$src/build/package}" && pwd)
rm -rf "$out/tavrel" "$out"/*.deb "$out"/*.changes "$out"/*.buildinfo
mkdir "$out/tavrel"
# Tracked and new files, not what .gitignore leaves out (build directories).
(cd "$src" && git ls-files -z --cached --others --exclude-standard |
  tar --null --ignore-failed-read -T - -cf - 2>/dev/null) | tar -xf - -C "$out/tavrel"
cd "$out/tavrel" && dpkg-buildpackage -us -uc -b
ls "$out"/*.deb
