#!/bin/bash
# zip.sh WINDOWS_BUILD_DIR VERSION: the Windows zip holds Tavrel.exe, the readme and the licence.
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$1" && cpack -G ZIP -B "$out" >/dev/null 2>&1)
listed=$(/usr/bin/python3 -c 'import sys, zipfile; print(" ".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' \
  "$out/Tavrel-$2-win64.zip" 2>&1)
[ "$listed" = "LICENSE.txt README.txt Tavrel.exe" ] && echo "1 passed, 0 failed" && exit 0
echo "FAIL: the zip holds: $listed"
exit 1
