#!/bin/bash
# deb.sh SOURCE_DIR OUT_DIR: the packages of scripts/package.sh (left in OUT_DIR) pass
# lintian --pedantic, are built with dpkg-buildflags' flags alone, and pass debian/tests run by
# autopkgtest on this machine; packages it installed are removed afterwards.
. "$(dirname "$0")/../support/fixture.sh"
src=$1 out=$2
"$src/scripts/package.sh" "$out" >"$scratch/log" 2>&1 || { tail -20 "$scratch/log" && fail "dpkg-buildpackage" && finish; }
grep -E "^(dpkg-deb: building|dpkg-buildpackage: info)" "$scratch/log"

lintian=$(lintian --pedantic -I "$out"/*.changes 2>&1 | grep -v '^running with root')
check "lintian --pedantic -I says nothing: $lintian" [ -z "$lintian" ]
dpkg-deb -x "$out"/tavrel-dbgsym_*.deb "$scratch/dbgsym"
flags=$(find "$scratch/dbgsym" -name '*.debug' -exec readelf --debug-dump=info {} + 2>/dev/null | grep DW_AT_producer)
check "built with dpkg-buildflags' -O2 alone" eval 'grep -q " -O2 " <<<"$flags" && ! grep -q " -O3 " <<<"$flags"'

dpkg-query -W tavrel >/dev/null 2>&1 || cleanup() { dpkg --purge tavrel-ansible tavrel-window tavrel >/dev/null; }
autopkgtest "$out"/*.deb "$out/tavrel/" -- null >"$scratch/log" 2>&1
status=$?
grep -E "^(FAIL: |[0-9]+ passed|installed +[A-Z]+$)" "$scratch/log"
check "autopkgtest passes (status $status)" [ "$status" = 0 ]
finish
