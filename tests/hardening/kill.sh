#!/bin/bash
# SIGKILL at random moments of a rewrite of a 4 MB win.ini: kill.sh ITERATIONS COMMAND...
# Run with umask 000 over a 0640 file: after every kill win.ini is the old or the new
# file, at most one temporary file of the killed run stands beside it, never with more
# access than win.ini, and the next run removes it. IN_PLACE=1: win.ini has a second name,
# so it is rewritten in place; a kill may then tear it, but leaves a journal of the old file.
set -u
iterations=$1 && shift
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export WINDIR=$dir ini=$dir/win.ini
umask 000
temps() { find "$dir" -name '.win.ini.tavrel-[0-9]*' "$@" | wc -l; }

awk 'BEGIN {
  for (i = 1; i <= 25000; i++) printf "[Section %d]\r\nKey=value %d with some padding text\r\n", i, i
  printf "[Microsoft Proxy Service]\r\nDisable=0\r\n"
  for (i = 25001; i <= 40000; i++) printf "[Section %d]\r\nKey=value %d\r\n", i, i
}' >"$dir/enabled"
sed 's/^Disable=0/Disable=1/' "$dir/enabled" >"$dir/disabled"
chmod 640 "$dir/enabled" "$dir/disabled"
cp -p "$dir/enabled" "$ini"
start=$(date +%s%N)
"$@" /off && cmp -s "$ini" "$dir/disabled" || { echo "FAIL: /off did not write"; exit 1; }
span_us=$((($(date +%s%N) - start) / 1000 * 12 / 10))
[ -n "${IN_PLACE:-}" ] && ln "$ini" "$dir/link"

failed=0 old=0 most=0 journals=0
for i in $(seq "$iterations"); do
  if [ $((i % 2)) = 0 ]; then from=enabled to=disabled switch=/off; else from=disabled to=enabled switch=/on; fi
  cp -p "$dir/$from" "$ini"
  "$@" "$switch" & delay=$(((RANDOM * 32768 + RANDOM) % span_us))
  sleep "$(printf '%d.%06d' $((delay / 1000000)) $((delay % 1000000)))"
  kill -KILL $! 2>/dev/null
  wait $! 2>/dev/null
  cmp -s "$ini" "$dir/$from" && old=$((old + 1))
  if [ -e "$dir/.win.ini.tavrel-journal" ]; then journals=$((journals + 1)) && cmp -s "$dir/.win.ini.tavrel-journal" "$dir/$from"; else
    cmp -s "$ini" "$dir/$from" || cmp -s "$ini" "$dir/$to"; fi || { echo "FAIL: $i: neither old nor new" && failed=$((failed + 1)); }
  rm -f "$dir/.win.ini.tavrel-journal"
  [ "$(temps)" -gt "$most" ] && most=$(temps)
  [ "$(temps)" -le 1 ] && [ "$(temps -perm /0137)" = 0 ] ||
    { echo "FAIL: iteration $i: $(temps) temporary files, $(temps -perm /0137) open to others" && failed=$((failed + 1)); }
done
"$@" /on
[ "$(temps)" = 0 ] || { echo "FAIL: temporary files left after a whole run" && failed=$((failed + 1)); }
echo "one rewrite: $((span_us * 10 / 12)) us; kills: $iterations, old file: $old, new: $((iterations - old - journals - failed)), journal left: $journals, most temporaries at once: $most"
[ "$failed" = 0 ]
