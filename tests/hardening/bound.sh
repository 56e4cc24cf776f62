#!/bin/bash
# One bound for a whole run, and a child out of its user's reach: bound.sh TAVREL
# nobody holds a write lease on their own win.ini (every open of it then waits) and stops
# every process of theirs that reads it: root's tavrel --state still ends within its 60
# seconds, saying why, and leaves no process behind. Meanwhile, with fs.suid_dumpable=1,
# nobody tries to read the environment and descriptors of root's child that became them,
# and to trace it; root sees that the child holds no descriptor but its own.
set -u
. "$(dirname "$0")/../support/fixture.sh"
dumpable=$(cat /proc/sys/fs/suid_dumpable)
cleanup() { echo "$dumpable" >/proc/sys/fs/suid_dumpable; }
echo 1 >/proc/sys/fs/suid_dumpable
dir=$scratch/windows
mkdir "$dir" && printf '[Microsoft Proxy Service]\r\nDisable=1\r\n' >"$dir/win.ini"
chown -R nobody: "$dir"
cp "$1" "$scratch/tavrel"
touch "$scratch/found" && chown nobody "$scratch/found"
runuser -u nobody -- python3 - "$dir" "$scratch" <<'PY' &
import ctypes, fcntl, os, signal, subprocess, sys, time
dir, scratch = sys.argv[1:]
libc = ctypes.CDLL(None, use_errno=True)
signal.signal(signal.SIGIO, signal.SIG_IGN)
f = open(dir + '/win.ini', 'r+'); fcntl.fcntl(f, 1024, fcntl.F_WRLCK); open(dir + '/held', 'w')
found = open(scratch + '/found', 'a')
while os.path.exists(dir + '/held'):
    run = subprocess.run(['pgrep', '-u', 'nobody', '-f', '^' + scratch + '/tavrel'], capture_output=True, text=True)
    for pid in map(int, run.stdout.split()):
        os.kill(pid, signal.SIGSTOP)
        try: found.write('environ: %r\n' % open('/proc/%d/environ' % pid, 'rb').read())
        except OSError: pass
        try: found.write('descriptors: %s\n' % os.listdir('/proc/%d/fd' % pid))
        except OSError: pass
        if libc.ptrace(16, pid, None, None) == 0:  # PTRACE_ATTACH
            found.write('traced\n'); libc.ptrace(17, pid, None, None)
        found.flush()
    time.sleep(0.05)
PY
until [ -e "$dir/held" ]; do sleep 0.05; done
start=$(date +%s)
# In the script's own process group, which outlives the run: a child left stopped stays
# there (the kernel would hang up the stopped members of a group left orphaned).
WINDIR=$dir TAVREL_MARKER=root-only timeout --foreground 200 "$scratch/tavrel" --state 2>"$scratch/said" &
run=$!
until child=$(pgrep -u nobody -f "^$scratch/tavrel"); do sleep 0.05; done
# What the child holds: its answer pipe, /dev/null and what it opened as nobody in the
# Windows directory.
for fd in /proc/"$child"/fd/*; do readlink "$fd"; done >"$scratch/held_by_child"
wait "$run"
status=$? took=$(($(date +%s) - start))
rm "$dir/held"
wait
echo "tavrel --state: status $status after $took s: $(cat "$scratch/said")"
check "ended within its bound, with status 1 and the reason" \
  eval '[ "$status" = 1 ] && [ "$took" -le 61 ] && grep -q "gave no answer within 60 s" "$scratch/said"'
check "no process of the run left behind" eval '! pgrep -f "^$scratch/tavrel"'
check "nobody could not read or trace the child: $(cat "$scratch/found")" [ ! -s "$scratch/found" ]
check "the child held only its own: $(tr '\n' ' ' <"$scratch/held_by_child")" \
  eval '! grep -v -e "^pipe:" -e "^$dir" -e "^/dev/null$" "$scratch/held_by_child"'
finish
