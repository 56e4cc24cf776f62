#!/bin/bash
# Tavrel.exe on a win.ini it may not write: hardening.sh LOCK_FILE_EXE COMMAND...
# On a read-only mount, and while another program holds it without sharing, /off ends
# with status 1 and the file untouched; once the other program lets go, /off works.
set -u
locker=$1
shift
ini=$WINEPREFIX/drive_c/windows/win.ini
old=$'[Microsoft Proxy Service]\r\nDisable=0\r\n' failed=0
check() { # NAME STATUS WANT EXPECTED-BYTES
  [ "$2" = "$3" ] && cmp -s "$ini" <(printf '%s' "$4") || { echo "FAIL: $1: status $2" && failed=1; }
}

printf '%s' "$old" >"$ini"
if mount --bind "$ini" "$ini" 2>/dev/null && mount -o remount,bind,ro "$ini"; then
  "$@" /off >/dev/null 2>&1
  status=$?
  umount "$ini"
  check "read-only win.ini" "$status" 1 "$old"
fi

wine "$locker" 'C:\windows\win.ini' 10 >"$ini.lock" 2>/dev/null &
holder=$!
for _ in $(seq 100); do grep -q locked "$ini.lock" && break; sleep 0.1; done
"$@" /off >/dev/null 2>&1
check "win.ini held by another program" $? 1 "$old"
wait "$holder"
"$@" /off >/dev/null 2>&1
check "win.ini let go" $? 0 "${old/=0/=1}"
rm -f "$ini.lock"
[ "$failed" = 0 ]
