#!/bin/bash
# The Windows zip: zip.sh WINDOWS_BUILD_DIR -- built with CPack, it must hold exactly
# Tavrel.exe and the readme.
set -u
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$1" && cpack -G ZIP -B "$out" >/dev/null 2>&1)
zip=$out/Tavrel-2.0.0.49-win64.zip
[ -f "$zip" ] || { echo "FAIL: no $(basename "$zip")"; echo "0 passed, 1 failed"; exit 1; }
listed=$(/usr/bin/python3 -c 'import sys, zipfile; print(" ".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' "$zip")
if [ "$listed" = "README.txt Tavrel.exe" ]; then
  echo "1 passed, 0 failed"
else
  echo "FAIL: the zip holds: $listed"
  echo "0 passed, 1 failed"
  exit 1
fi
