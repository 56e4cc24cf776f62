#!/bin/bash
# One bound for a whole run: bound.sh TAVREL
# nobody holds a write lease on their own win.ini (every open of it then waits) and stops
# every process of theirs that reads it: root's tavrel --state still ends within its 60
# seconds, saying why, and leaves no process behind.
set -u
. "$(dirname "$0")/../support/fixture.sh"
dir=$scratch/windows
mkdir "$dir" && printf '[Microsoft Proxy Service]\r\nDisable=1\r\n' >"$dir/win.ini"
chown -R nobody: "$dir"
cp "$1" "$scratch/tavrel"
runuser -u nobody -- python3 -c "import fcntl,os,signal,subprocess,time
signal.signal(signal.SIGIO, signal.SIG_IGN)
f=open('$dir/win.ini', 'r+'); fcntl.fcntl(f, 1024, fcntl.F_WRLCK); open('$dir/held','w')
while os.path.exists('$dir/held'):
    subprocess.run(['pkill', '-STOP', '-u', 'nobody', '-f', '^$scratch/tavrel']); time.sleep(0.05)" &
until [ -e "$dir/held" ]; do sleep 0.05; done
start=$(date +%s)
WINDIR=$dir timeout 200 "$scratch/tavrel" --state 2>"$scratch/said"
status=$? took=$(($(date +%s) - start))
rm "$dir/held"
wait
echo "tavrel --state: status $status after $took s: $(cat "$scratch/said")"
check "ended within its bound, with status 1 and the reason" \
  eval '[ "$status" = 1 ] && [ "$took" -le 61 ] && grep -q "gave no answer within 60 s" "$scratch/said"'
check "no process of the run left behind" eval '! pgrep -f "^$scratch/tavrel"'
finish
