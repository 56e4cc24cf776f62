#!/bin/bash
# Tavrel.exe on a win.ini it may not write: hardening.sh LOCK_FILE_EXE COMMAND...
# A win.ini on a read-only mount, and one held open without sharing by another program:
# the silent switch ends with status 1 and the file is untouched; once the other
# program lets go, the switch works.
set -u
locker=$1
shift
windows=$WINEPREFIX/drive_c/windows
ini=$windows/win.ini
failed=0 passed=0
original=$'[Microsoft Proxy Service]\r\nDisable=0\r\n'

expect() {
  local name=$1 want=$2
  shift 2
  printf '%s' "$original" >"$ini.before"
  "$@" /off >/dev/null 2>&1
  local status=$?
  if [ "$status" = "$want" ]; then
    passed=$((passed + 1))
  else
    echo "FAIL: $name: status $status, expected $want"
    failed=$((failed + 1))
  fi
}

untouched() {
  cmp -s "$ini" "$ini.before" || { echo "FAIL: $1: win.ini changed"; failed=$((failed + 1)); }
}

printf '%s' "$original" >"$ini"
if mount --bind "$ini" "$ini" 2>/dev/null && mount -o remount,bind,ro "$ini"; then
  expect "read-only win.ini" 1 "$@"
  umount "$ini"
  untouched "read-only win.ini"
else
  echo "SKIP: read-only win.ini (cannot bind-mount here)"
fi

printf '%s' "$original" >"$ini"
wine "$locker" 'C:\windows\win.ini' 10 >"$ini.lock" 2>/dev/null &
holder=$!
for _ in $(seq 100); do grep -q locked "$ini.lock" 2>/dev/null && break; sleep 0.1; done
expect "win.ini locked by another program" 1 "$@"
untouched "win.ini locked by another program"
wait "$holder"
expect "win.ini let go" 0 "$@"
grep -q $'^Disable=1\r$' "$ini" || { echo "FAIL: not written once let go"; failed=$((failed + 1)); }
rm -f "$ini.before" "$ini.lock"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
