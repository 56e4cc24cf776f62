#!/bin/bash
# Many writers at once: concurrent.sh PROFILE_WRITER TAVREL FAULTS
# Writers of other keys (through our profile code) race tavrel /on and /off while readers
# check that every read sees a whole file: no write may fail or be lost. Then a process
# appending lines (O_APPEND) loses none to 40 switches, which change the value in place;
# a writer that takes no lock never reads a torn file, even where the kernel takes back a
# switch's lease; and a writer that holds the lock makes a write fail in bounded time, the
# file untouched.
set -u
. "$(dirname "$0")/../support/fixture.sh"
writer=$1 tavrel=$2 faults=$3 writers=8 writes=30 switches=15
dir=$scratch/windows
mkdir "$dir" && export WINDIR=$dir ini=$dir/win.ini

{
  printf '[Microsoft Proxy Service]\r\nDisable=0\r\n[Writers]\r\n'
  for w in $(seq "$writers"); do printf 'k%d=0\r\n' "$w"; done
  printf '[End]\r\nlast=line\r\n'
} >"$ini"
(while [ ! -e "$scratch/stop" ]; do
  [[ $(cat "$ini") == *k1=*k$writers=*last=line* ]] && echo whole || echo torn
done >"$scratch/reads") &
pids=()
for w in $(seq "$writers"); do
  "$writer" "$ini" Writers "k$w" $(seq "$writes") &
  pids+=($!)
  switch=/on && ((w % 2)) && switch=/off
  (for _ in $(seq "$switches"); do "$tavrel" "$switch" || exit 1; done) &
  pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid" || fail "a write failed"; done
touch "$scratch/stop"
wait
for w in $(seq "$writers"); do grep -q $'^k'"$w=$writes"$'\r$' "$ini" || fail "k$w lost a write"; done
grep -q torn "$scratch/reads" && fail "reads saw a torn file"
echo "$((2 * writers)) writers, $((writers * (writes + switches))) writes, $(grep -c whole "$scratch/reads") whole reads"

rm "$scratch/stop"
(i=0; while [ ! -e "$scratch/stop" ]; do i=$((i + 1)); echo "line=$i" >>"$ini"; done; echo "$i" >"$scratch/appended") &
for i in $(seq 40); do "$tavrel" "$([ $((i % 2)) = 1 ] && echo /off || echo /on)" || fail "switch $i failed"; done
touch "$scratch/stop"
wait
check "an appender lost no line to 40 switches" [ "$(grep -c '^line=' "$ini")" = "$(cat "$scratch/appended")" ]
echo "appended $(cat "$scratch/appended") lines during 40 switches"

# A writer that takes no lock, as Wine's profile flush does: it reads win.ini, then
# truncates it and writes it again in pieces, keeping the value it read (making 0 into 00,
# so that switches change the length too). Every file it reads must be whole.
rm "$scratch/stop"
printf '[Microsoft Proxy Service]\r\nDisable=0\r\n[Rewriter]\r\nn=0\r\npad=%s\r\n' "$(printf 'x%.0s' $(seq 8000))" >"$ini"
python3 - "$ini" "$scratch/stop" >"$scratch/rewrites" <<'EOF' &
import os, re, sys
ini, stop = sys.argv[1:]
whole = re.compile(rb'\[Microsoft Proxy Service\]\r\nDisable=(0|00|1)\r\n\[Rewriter\]\r\nn=\d+\r\npad=x{8000}\r\n\Z')
n = torn = 0
while not os.path.exists(stop):
    with open(ini, 'rb') as f:
        read = whole.match(f.read())
    torn += not read
    value = {b'0': b'00'}.get(read.group(1), read.group(1)) if read else b'0'
    n += 1
    body = b'[Microsoft Proxy Service]\r\nDisable=%s\r\n[Rewriter]\r\nn=%d\r\npad=%s\r\n' % (value, n, b'x' * 8000)
    with open(ini, 'wb', buffering=0) as f:
        for at in range(0, len(body), 2000):
            f.write(body[at:at + 2000])
print(n, torn)
EOF
until grep -q '^n=[1-9]' "$ini"; do :; done
failed_switches=0
for i in $(seq 100); do
  "$tavrel" "$([ $((i % 2)) = 1 ] && echo /off || echo /on)" 2>>"$scratch/errors" || failed_switches=$((failed_switches + 1))
done
touch "$scratch/stop"
wait
read -r rewrites torn <"$scratch/rewrites"
echo "a writer without a lock: $rewrites rewrites, $torn torn reads, $failed_switches of 100 switches failed"
check "a writer without a lock never read a torn file" [ "$torn" = 0 ]
check "switches beside it failed only saying why" eval '! grep -v "changed while being read" "$scratch/errors"'

# A lease the kernel takes back: with lease-break-time at 1 s and the read slowed by 3 s,
# another writer goes on while the switch is still reading. The switch must then notice,
# read again, and switch the other writer's whole file.
break_time=$(cat /proc/sys/fs/lease-break-time)
cleanup() { echo "$break_time" >/proc/sys/fs/lease-break-time; }
echo 1 >/proc/sys/fs/lease-break-time
printf '[Microsoft Proxy Service]\r\nDisable=0\r\n' >"$ini"
theirs=$'[Other]\r\nkey=a longer value than before\r\n[Microsoft Proxy Service]\r\nDisable=0\r\n'
switched=${theirs/Disable=0/Disable=1}
SLOW_READ=3000 LD_PRELOAD=$faults "$tavrel" /off &
switch=$!
until grep -q "LEASE.*:$(stat -c %i "$ini") " /proc/locks; do sleep 0.01; done
printf '%s' "$theirs" >"$ini"
wait "$switch"
check "a broken lease: the other writer's whole file, switched" eval 'printf "%s" "$switched" | cmp -s - "$ini"'

# A run that holds the lock file, and win.ini open so that no lease can be had: a write
# fails in bounded time, the file untouched.
python3 -c "import fcntl,os,time
f=open('$dir/.win.ini.tavrel-lock','w'); fcntl.lockf(f, fcntl.LOCK_EX); g=open('$ini'); open('$dir/held','w')
while os.path.exists('$dir/held'): time.sleep(0.05)" &
for _ in $(seq 100); do [ -e "$dir/held" ] && break; sleep 0.05; done
before=$(sha1sum <"$ini") start=$(date +%s)
"$tavrel" /on
status=$? waited=$(($(date +%s) - start))
rm "$dir/held"
check "with the lock held: status $status after $waited s, the file as it was" \
  eval '[ "$status" = 1 ] && [ "$waited" -lt 15 ] && [ "$(sha1sum <"$ini")" = "$before" ]'
finish
