#!/bin/bash
# SIGKILL at random moments of a switch of a 4 MB win.ini: kill.sh ITERATIONS COMMAND...
# Odd kills cut /off of Disable=00, a change of length (a new file renamed over the old
# one), even kills /on of Disable=1, a change in place. Run with umask 000 over a 0640
# file: after every kill win.ini is the old or the new file, at most one temporary file of
# the killed run stands beside it, never with more access than win.ini, and the next run
# completes the switch and removes what the killed one left. IN_PLACE=1: win.ini has a
# second name, so a change of length is a rewrite in place; a kill may then tear it, but
# leaves a journal that the next run restores before it reads: --state then tells the old
# state, never one read from the torn file.
set -u
. "$(dirname "$0")/../support/fixture.sh"
iterations=$1 && shift
dir=$scratch/windows
mkdir "$dir" && export WINDIR=$dir ini=$dir/win.ini
umask 000
temps() { find "$dir" -name '.win.ini.tavrel-[0-9]*' "$@" | wc -l; }

awk 'BEGIN {
  for (i = 1; i <= 25000; i++) printf "[Section %d]\r\nKey=value %d with some padding text\r\n", i, i
  printf "[Microsoft Proxy Service]\r\nDisable=00\r\n"
  for (i = 25001; i <= 40000; i++) printf "[Section %d]\r\nKey=value %d\r\n", i, i
}' >"$scratch/longer"
sed 's/^Disable=00/Disable=1/' "$scratch/longer" >"$scratch/disabled"
sed 's/^Disable=00/Disable=0/' "$scratch/longer" >"$scratch/enabled"
chmod 640 "$scratch/longer" "$scratch/disabled" "$scratch/enabled"
cp -p "$scratch/longer" "$ini"
start=$(date +%s%N)
"$@" /off && cmp -s "$ini" "$scratch/disabled" || fail "/off did not write"
span_us=$((($(date +%s%N) - start) / 1000 * 12 / 10))
[ -n "${IN_PLACE:-}" ] && ln "$ini" "$dir/link"

old=0 journals=0 most=0
for i in $(seq "$iterations"); do
  if [ $((i % 2)) = 1 ]; then from=longer to=disabled switch=/off; else from=disabled to=enabled switch=/on; fi
  cp -p "$scratch/$from" "$ini"
  "$@" "$switch" & delay=$(((RANDOM * 32768 + RANDOM) % span_us))
  sleep "$(printf '%d.%06d' $((delay / 1000000)) $((delay % 1000000)))"
  kill -KILL $! 2>/dev/null
  wait $! 2>/dev/null
  cmp -s "$ini" "$scratch/$from" && old=$((old + 1))
  if [ -e "$dir/.win.ini.tavrel-journal" ]; then
    journals=$((journals + 1))
    state=enabled && [ "$from" = disabled ] && state=disabled
    [ "$("$@" --state)" = "$state" ] && cmp -s "$ini" "$scratch/$from" && [ ! -e "$dir/.win.ini.tavrel-journal" ] ||
      fail "$i: --state did not recover the interrupted write first"
  else
    cmp -s "$ini" "$scratch/$from" || cmp -s "$ini" "$scratch/$to" || fail "$i: neither old nor new"; fi
  [ "$(temps)" -gt "$most" ] && most=$(temps)
  [ "$(temps)" -le 1 ] && [ "$(temps -perm /0137)" = 0 ] ||
    fail "iteration $i: $(temps) temporary files, $(temps -perm /0137) open to others"
  "$@" "$switch" && cmp -s "$ini" "$scratch/$to" || fail "$i: the next run did not complete the switch"
done
check "nothing left beside win.ini after a whole run" [ "$(ls -A "$dir" | grep -v '^link$')" = win.ini ]
echo "one rewrite: $((span_us * 10 / 12)) us; kills: $iterations, old file: $old, journal left: $journals, most temporaries at once: $most"
finish
