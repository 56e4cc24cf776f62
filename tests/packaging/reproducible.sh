#!/bin/bash
# reproducible.sh SOURCE_DIR DEBS_DIR: the Debian packages built again without their tests
# (nocheck; DEBS_DIR holds those of package_deb, built with them), and Tavrel.exe, its zip and
# Tavrel.msi built twice, each time in another directory, umask and time zone, are the same
# bytes. Tavrel.msi differs only in what Windows Installer wants new in every package: its
# product and package codes and times. The zip holds Tavrel.exe, the readme and the licence.
. "$(dirname "$0")/../support/fixture.sh"
src=$1 debs=$2
unset SOURCE_DATE_EPOCH
windows_build() {
  (cd "$src" && cmake --preset windows -B "$1" >/dev/null && cmake --build "$1" -j 1 >/dev/null &&
    cd "$1" && cpack -B "$1/zip" >/dev/null)
}
(umask 002 && TZ=Asia/Tokyo windows_build "$scratch/one") &
one=$!
(umask 022 && TZ=America/New_York windows_build "$scratch/two/windows") &
two=$!
(umask 002 && TZ=Pacific/Auckland DEB_BUILD_OPTIONS=nocheck "$src/scripts/package.sh" "$scratch/debs" >/dev/null 2>&1)
wait "$one" && wait "$two" || { fail "the Windows builds" && finish; }

for deb in "$debs"/*.deb; do
  check "${deb##*/} the same from elsewhere" cmp "$deb" "$scratch/debs/${deb##*/}"
  sha256sum "$deb" "$scratch/debs/${deb##*/}"
done
for file in src/Tavrel.exe "zip/Tavrel-*-win64.zip"; do
  # shellcheck disable=SC2086 # the zip's name is a pattern
  check "$file the same from elsewhere" cmp "$scratch"/one/$file "$scratch"/two/windows/$file
  sha256sum "$scratch"/one/$file "$scratch"/two/windows/$file
done
listed=$(/usr/bin/python3 -c 'import sys, zipfile; print(*sorted(zipfile.ZipFile(sys.argv[1]).namelist()))' \
  "$scratch"/one/zip/Tavrel-*-win64.zip 2>&1)
check "the zip holds: $listed" [ "$listed" = "LICENSE.txt README.txt Tavrel.exe" ]
for build in one two/windows; do
  mkdir -p "$scratch/$build/dump" && msidump -t -s -d "$scratch/$build/dump" "$scratch/$build/Tavrel.msi" >/dev/null
  sha256sum "$scratch/$build/Tavrel.msi"
done
check "Tavrel.msi holds the same files" cmp "$scratch"/{one,two/windows}/dump/_Streams/tavrel.cab
tables() { (cd "$1" && grep -a -H . ./*.idt | tr -d '\r'); }
changed=$(diff <(tables "$scratch/one/dump") <(tables "$scratch/two/windows/dump") | sed -n 's/^< \([^\t]*\).*/\1/p')
echo "Tavrel.msi, rows that differ:" $changed
check "Tavrel.msi's tables differ only in the codes and times: $changed" \
  eval '! grep -v -x -E "./Property.idt:ProductCode|./_SummaryInformation.idt:(9|12|13)|" <<<"$changed"'
finish
