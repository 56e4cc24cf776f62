#!/bin/bash
# Tavrel.exe on a win.ini it may not write: hardening.sh LOCK_FILE_EXE COMMAND...
# On a read-only mount, and while another program holds it without sharing, /off ends
# with status 1 and the file untouched; once the other program lets go, /off works.
set -u
. "$(dirname "$0")/../support/fixture.sh"
locker=$1
shift
ini=$WINEPREFIX/drive_c/windows/win.ini
old=$'[Microsoft Proxy Service]\r\nDisable=0\r\n'
ended() { [ "$1" = "$2" ] && cmp -s "$ini" <(printf '%s' "$3"); } # STATUS WANT EXPECTED-BYTES

printf '%s' "$old" >"$ini"
if mount --bind "$ini" "$ini" 2>/dev/null && mount -o remount,bind,ro "$ini"; then
  "$@" /off >/dev/null 2>&1
  status=$?
  umount "$ini"
  check "read-only win.ini" ended "$status" 1 "$old"
fi

wine "$locker" 'C:\windows\win.ini' 10 >"$scratch/lock" 2>/dev/null &
holder=$!
for _ in $(seq 100); do grep -q locked "$scratch/lock" && break; sleep 0.1; done
"$@" /off >/dev/null 2>&1
check "win.ini held by another program" ended $? 1 "$old"
wait "$holder"
"$@" /off >/dev/null 2>&1
check "win.ini let go" ended $? 0 "${old/=0/=1}"
finish
