#!/bin/bash
# Many writers at once: concurrent.sh PROFILE_WRITER TAVREL
# Writers of other keys (through our profile code) and tavrel /on and /off all run
# together while readers check that every read sees a whole file. Afterwards every other
# key must hold its last written value, and no write may have failed.
set -u
writer=$1 tavrel=$2
writers=8 writes=40 switchers=8 switches=20
dir=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$dir"' EXIT
export WINDIR=$dir
ini=$dir/win.ini
failed=0

{
  printf '[Microsoft Proxy Service]\r\nDisable=0\r\n[Writers]\r\n'
  for w in $(seq "$writers"); do printf 'k%d=0\r\n' "$w"; done
  printf '[End]\r\nlast=line\r\n'
} >"$ini"

# A whole file has every writer's key and ends with the last line.
whole() {
  local content
  content=$(cat "$ini") || return 1
  for w in $(seq "$writers"); do [[ $content == *$'\r\n'k$w=* ]] || return 1; done
  [[ $content == *"last=line"* ]] && [[ $content == *"[Microsoft Proxy Service]"* ]]
}

reader() {
  local reads=0 torn=0
  while [ ! -e "$dir/stop" ]; do
    whole || torn=$((torn + 1))
    reads=$((reads + 1))
  done
  echo "$reads $torn" >"$dir/reader-$1"
}

for r in 1 2; do reader "$r" & done
pids=()
for w in $(seq "$writers"); do
  "$writer" "$ini" Writers "k$w" $(seq "$writes") &
  pids+=($!)
done
for s in $(seq "$switchers"); do
  if [ $((s % 2)) = 0 ]; then switch=/on; else switch=/off; fi
  (for _ in $(seq "$switches"); do "$tavrel" "$switch" || exit 1; done) &
  pids+=($!)
done
for pid in "${pids[@]}"; do
  wait "$pid" || { echo "FAIL: a writer's write failed"; failed=$((failed + 1)); }
done
touch "$dir/stop"
wait

for w in $(seq "$writers"); do
  grep -q $'^k'"$w=$writes"$'\r$' "$ini" || { echo "FAIL: k$w lost a write: $(grep "^k$w=" "$ini")"; failed=$((failed + 1)); }
done
grep -q $'^Disable=[01]\r$' "$ini" || { echo "FAIL: the switch is gone"; failed=$((failed + 1)); }
read -r reads1 torn1 <"$dir/reader-1"
read -r reads2 torn2 <"$dir/reader-2"
[ $((torn1 + torn2)) = 0 ] || { echo "FAIL: $((torn1 + torn2)) reads saw a torn file"; failed=$((failed + 1)); }
echo "writers: $((writers + switchers)) processes, $((writers * writes + switchers * switches)) writes; reads: $((reads1 + reads2))"

# A lock that cannot be had makes the write fail in bounded time, never hang.
start=$(date +%s)
flock "$dir" sleep 30 &
holder=$!
sleep 0.5
before=$(sha1sum <"$ini")
"$tavrel" /on
status=$?
waited=$(($(date +%s) - start))
kill "$holder"
[ "$status" = 1 ] || { echo "FAIL: a write without the lock ended with $status"; failed=$((failed + 1)); }
[ "$waited" -lt 20 ] || { echo "FAIL: waited $waited s for the lock"; failed=$((failed + 1)); }
[ "$(sha1sum <"$ini")" = "$before" ] || { echo "FAIL: written without the lock"; failed=$((failed + 1)); }
echo "a held lock: gave up after $waited s with status $status"

echo "$((6 - failed)) passed, $failed failed"
[ "$failed" = 0 ]
