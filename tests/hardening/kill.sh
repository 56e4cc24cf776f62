#!/bin/bash
# Kills the program with SIGKILL at random moments while it rewrites a large win.ini:
#   kill.sh ITERATIONS COMMAND...
# After every kill the file must be exactly the old or the new content, and at most one
# temporary file of a killed run may stand beside it until the next run removes it.
set -u
iterations=$1
shift
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export WINDIR=$dir
ini=$dir/win.ini

# About 5 MB of other sections, with the switch in the middle.
awk 'BEGIN {
  for (i = 1; i <= 40000; i++) printf "[Section %d]\r\nKey=value %d with some padding text\r\nOther=%d\r\n", i, i, i
  printf "[Microsoft Proxy Service]\r\nDisable=0\r\n"
  for (i = 40001; i <= 60000; i++) printf "[Section %d]\r\nKey=value %d with some padding text\r\n", i, i
}' >"$dir/enabled"
cp "$dir/enabled" "$ini"
"$@" /off || { echo "FAIL: /off did not succeed"; exit 1; }
cp "$ini" "$dir/disabled"
enabled=$(sha1sum <"$dir/enabled") disabled=$(sha1sum <"$dir/disabled")
[ "$enabled" != "$disabled" ] || { echo "FAIL: /off changed nothing"; exit 1; }

# How long one rewrite takes, so the kills land before, during and after it.
start=$(date +%s%N)
cp "$dir/enabled" "$ini"
"$@" /off
span_us=$((($(date +%s%N) - start) / 1000 * 12 / 10))
echo "one rewrite of $(stat -c %s "$ini") bytes: $((span_us * 10 / 12)) us"

failed=0 old=0 new=0 most_temps=0
for i in $(seq "$iterations"); do
  if [ $((i % 2)) = 0 ]; then from=enabled switch=/off; else from=disabled switch=/on; fi
  cp "$dir/$from" "$ini"
  "$@" "$switch" &
  pid=$!
  delay=$(((RANDOM * 32768 + RANDOM) % span_us))
  sleep "$(printf '%d.%06d' $((delay / 1000000)) $((delay % 1000000)))"
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  now=$(sha1sum <"$ini")
  if [ "$now" = "$enabled" ] || [ "$now" = "$disabled" ]; then
    if [ "$now" = "$(sha1sum <"$dir/$from")" ]; then old=$((old + 1)); else new=$((new + 1)); fi
  else
    echo "FAIL: iteration $i: win.ini is neither the old nor the new file"
    failed=$((failed + 1))
  fi
  temps=$(find "$dir" -name '.win.ini.tavrel-*' | wc -l)
  [ "$temps" -gt "$most_temps" ] && most_temps=$temps
  if [ "$temps" -gt 1 ]; then
    echo "FAIL: iteration $i: $temps temporary files"
    failed=$((failed + 1))
  fi
done
"$@" /on
left=$(find "$dir" -name '.win.ini.tavrel-*' | wc -l)
[ "$left" = 0 ] || { echo "FAIL: $left temporary files left after a whole run"; failed=$((failed + 1)); }
echo "kills: $iterations, left the old file: $old, the new file: $new, most temporary files at once: $most_temps"
echo "$((iterations - failed)) passed, $failed failed"
[ "$failed" = 0 ]
