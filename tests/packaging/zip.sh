#!/bin/bash
# zip.sh WINDOWS_BUILD_DIR VERSION: the Windows zip holds Tavrel.exe, the readme and the licence.
. "$(dirname "$0")/../support/fixture.sh"
(cd "$1" && cpack -G ZIP -B "$scratch" >/dev/null 2>&1)
listed=$(/usr/bin/python3 -c 'import sys, zipfile; print(" ".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' \
  "$scratch/Tavrel-$2-win64.zip" 2>&1)
check "the zip holds: $listed" [ "$listed" = "LICENSE.txt README.txt Tavrel.exe" ]
finish
