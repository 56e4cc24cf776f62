#!/bin/sh
# Builds the source package and the Debian packages tavrel, tavrel-window and tavrel-ansible
# (and the -dbgsym packages of the first two) with dpkg-buildpackage, from a copy of the
# checkout as it is: scripts/package.sh [OUT_DIR] (default build/package). The copy,
# OUT_DIR/tavrel, keeps the build tree for autopkgtest; OUT_DIR gets the upstream tarball
# (the copy's files), the source and binary packages and the .changes file.
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$src/build/package}" && cd "${1:-$src/build/package}" && pwd)
rm -rf "$out/tavrel" "$out"/*.deb "$out"/*.changes "$out"/*.buildinfo "$out"/*.dsc "$out"/*.tar.*
mkdir "$out/tavrel"
# Tracked and new files, not what .gitignore leaves out (build directories).
(cd "$src" && git ls-files -z --cached --others --exclude-standard |
  tar --null --ignore-failed-read -T - -cf - 2>/dev/null) | tar -xf - -C "$out/tavrel"
version=$(dpkg-parsechangelog -l "$out/tavrel/debian/changelog" -S Version)
tar -C "$out" --sort=name --owner=0 --group=0 --numeric-owner -cf - tavrel | gzip -n >"$out/tavrel_${version%-*}.orig.tar.gz"
# Two jobs, as every build here (-J: debhelper runs them; the rules file itself stays serial).
cd "$out/tavrel" && dpkg-buildpackage -us -uc -J2
ls "$out"/*.deb
