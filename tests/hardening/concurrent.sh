#!/bin/bash
# Many writers at once: concurrent.sh PROFILE_WRITER TAVREL
# Writers of other keys (through our profile code) race tavrel /on and /off while readers
# check that every read sees a whole file: no write may fail or be lost. Then a process
# appending lines (O_APPEND) loses none to 40 switches, which change the value in place;
# and a writer that holds the lock makes a write fail in bounded time, the file untouched.
set -u
. "$(dirname "$0")/../support/fixture.sh"
writer=$1 tavrel=$2 writers=8 writes=30 switches=15
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

python3 -c "import fcntl,os,time
f=open('$dir/.win.ini.tavrel-lock','w'); fcntl.lockf(f, fcntl.LOCK_EX); open('$dir/held','w')
while os.path.exists('$dir/held'): time.sleep(0.05)" &
for _ in $(seq 100); do [ -e "$dir/held" ] && break; sleep 0.05; done
before=$(sha1sum <"$ini") start=$(date +%s)
"$tavrel" /on
status=$? waited=$(($(date +%s) - start))
rm "$dir/held"
check "with the lock held: status $status after $waited s" \
  [ "$status" = 1 ] && [ "$waited" -lt 15 ] && [ "$(sha1sum <"$ini")" = "$before" ]
finish
