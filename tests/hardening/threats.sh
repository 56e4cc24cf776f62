#!/bin/bash
# What another user can do to root's run, and what a write keeps: threats.sh TAVREL FAULTS
# One function per threat arranges $r, root's directory, around $d, a Windows directory
# owned by nobody that holds nobody's win.ini ($ini, with Disable=00, so that a switch
# changes its length and makes a new file). It may change $watch (the path checked after
# the run), $windir and $cmd (run by bash, as root or nobody). The table at the end runs
# each one: the exit status wanted, and what $watch must be afterwards: "same" (bytes,
# inode, owner, mode, ACL, attributes), "switched" (only Disable changed, to 1), or the
# name of a function that checks it. Rules of whose rights apply are in
# tests/profile/walk_test.cpp; this table keeps what needs the whole program.
set -u
# In a mount namespace of its own: what a row mounts (a file system, a group database, a
# FUSE server's mount) is gone with it.
[ -z "${THREATS_UNSHARED:-}" ] && exec env THREATS_UNSHARED=1 unshare -m --propagation private "$0" "$@"
. "$(dirname "$0")/../support/fixture.sh"
cleanup() { umount "$scratch"/*/windows 2>/dev/null; }
cp "$1" "$scratch/tavrel"
faults=$2
fuse_server=$(dirname "$0")/../support/one_file_fuse.py
old=$'[Microsoft Proxy Service]\r\nDisable=00\r\n'
n=0

meta() {
  stat -c '%F %U:%G %a %h' "$1" 2>&1
  getfacl -cpP "$1" 2>/dev/null
  getfattr -hd -m - -e hex "$1" 2>/dev/null | grep -v '^#'
}
state() { meta "$1"; if [ -f "$1" ] && [ ! -L "$1" ]; then stat -c %i "$1" && sha1sum <"$1"; fi; }
switched() { sed 's/^Disable=[0-9]*\r$/Disable=1\r/' "$1" | sha1sum; }
secret() { printf '%s' "$old" >"$r/secret" && chmod "${1:-644}" "$r/secret" && watch=$r/secret; }

links_to_roots_file() { secret 640 && ln -sf "$r/secret" "$ini"; }
users_link_in_roots_sticky_directory() {
  secret && chown root: "$d" && chmod 1777 "$d" && ln -sf "$r/secret" "$ini" && chown -h nobody "$ini"
}
# A reader that keeps win.ini open, as nobody, until the run is over: no lease can be had,
# so the run takes the lock file.
held_open() {
  runuser -u nobody -- python3 -c "import os,time
f=open('$ini'); open('$d/held','w')
while os.path.exists('$d/held'): time.sleep(0.05)" &
  for _ in $(seq 100); do [ -e "$d/held" ] && return; sleep 0.1; done
}
users_lock_link() {
  secret && chown root: "$d" "$ini" && chmod 1777 "$d" && held_open
  ln -s "$r/secret" "$d/.win.ini.tavrel-lock" && chown -h nobody "$d/.win.ini.tavrel-lock"
}
# A hard link (as protected_hardlinks allows to a user with read and write access).
hard_link_as_lock() {
  secret 600 && setfacl -m u:nobody:rw "$r/secret" && chmod 1777 "$d" && chown root: "$d" && held_open
  ln "$r/secret" "$d/.win.ini.tavrel-lock"
}
dangles_into_roots_directory() { ln -sf "$r/made" "$ini" && watch=$r/made; }
# Root's convenience link to nobody's Windows directory, which nobody made a link to root's.
roots_link_to_users_link() {
  mkdir "$r/rootdir" && rm -r "$d" && ln -s "$r/rootdir" "$d" && chown -h nobody "$d"
  ln -s "$d" "$r/link" && windir=$r/link watch=$r/rootdir
}
still_empty() { [ -z "$(ls -A "$watch")" ]; }
# A uid without an account keeps no group of the directory's.
no_account_in_a_group_directory() {
  secret 660 && chgrp staff "$r/secret" && chown root:staff "$r" && chmod 3777 "$r"
  rm -r "$d" && setpriv --reuid 4242 --regid 4242 --clear-groups \
    sh -c "mkdir '$d' && ln -s '$r/secret' '$ini'"
}
acl_and_attributes_kept() {
  chmod 640 "$ini" && setfacl -m u:daemon:rw "$ini" && setfattr -n user.t -v x "$ini"
  setfacl -d -m u:bin:rwx "$d"
}
roots_trusted_and_security_attributes() {
  chown root: "$d" "$ini" && setfacl -d -m u:bin:rwx "$d" && chmod 4640 "$ini"
  setfattr -n trusted.t -v 1 "$ini" && setfattr -n security.t -v 2 "$ini"
}
# The group database has a second line for the directory's group that names nobody.
duplicate_gid_line() {
  chown root:1500 "$d" "$ini" && chmod 775 "$d" && cp /etc/group "$r/group"
  printf 'g1:x:1500:\ng2:x:1500:nobody\n' >>"$r/group" && mount --bind "$r/group" /etc/group
}
# Lookups that list nothing (LDAP or SSSD without enumeration) prove no group private.
lookups_list_nothing() { chown root: "$d" "$ini" && chmod 775 "$d" && cmd="NO_LISTING=1 LD_PRELOAD=$faults $cmd"; }
# nobody may mount FUSE file systems that others may use (fuse.conf's user_allow_other).
fuse_allowed() {
  printf 'user_allow_other\n' >"$r/fuse.conf" && mount --bind "$r/fuse.conf" /etc/fuse.conf
  mknod -m 666 "$r/fuse" c 10 229 && mount --bind "$r/fuse" /dev/fuse
}
# nobody's FUSE server claims that everything is root's: win.ini is a link of "root's" to
# root's secret.
users_fuse_claims_everything_is_roots() {
  secret 600 && mkdir "$r/src" && ln -s "$r/secret" "$r/src/win.ini" && chown -R nobody "$r/src"
  rm "$ini" && fuse_allowed
  runuser -u nobody -- bindfs -o allow_other --force-user=root --force-group=root "$r/src" "$d"
}
# nobody's server of one file mounted on $1, claiming a file of root's with mode $3 that
# holds $2; it logs who asks it anything. Root's run must ask it nothing: its answers are
# nobody's to choose, and it may never answer.
users_server_on() {
  printf '%s' "$2" >"$r/served" && fuse_allowed && unmount=$1 && touch "$r/asked" && chown nobody "$r/asked"
  runuser -u nobody -- python3 "$fuse_server" "$1" "$r/served" "$3" "$r/asked" &
  for _ in $(seq 100); do [ -s "$r/asked" ] && return; sleep 0.1; done
  return 1
}
root_asked_nothing() {
  umount -l "$unmount" && [ "$(state "$watch")" = "$unmounted" ] && ! awk '$1 != 26 && $2 == 0' "$r/asked" | grep -q .
}
# On nobody's own win.ini in root's directory: claimed root's and setuid, holding their bytes.
users_server_on_their_win_ini() {
  chown root: "$d" && unmounted=$(state "$ini")
  users_server_on "$ini" $'[Microsoft Proxy Service]\r\nDisable=00\r\n[Evil]\r\n' 104755
}
# On a name of nobody's in a shared sticky directory where root's win.ini is: a journal
# claimed root's, naming win.ini, that would put nobody's bytes there.
users_server_on_the_journal_name() {
  chown root: "$d" "$ini" && chmod 1777 "$d" && unmounted=$(state "$ini") && cmd="$scratch/tavrel --state"
  local evil=$'[Microsoft Proxy Service]\r\nDisable=0\r\n[Evil]\r\n' journal=$d/.win.ini.tavrel-journal
  runuser -u nobody -- touch "$journal"
  users_server_on "$journal" "$(journal_for "$ini" 0 "${#evil}" "$old" "$evil")" 100600
}
fuse_diff() { users_fuse_claims_everything_is_roots && cmd="$scratch/tavrel --diff /off"; }
printed_nothing() { [ ! -s "$r/printed" ] && [ "$(state "$watch")" = "$before" ]; }
# A journal for the file at $1: its rewrite from BEGIN ($2) to END ($3) by INSERT ($4), of
# the old bytes OLD ($5).
journal_for() {
  local length end=$3
  length=$(printf '%s' "$4" | wc -c)
  printf 'tavrel journal 2\n%s %s %s %s %s\n%s%s' $(stat -c '%d %i' "$1") "$2" "$end" "$length" "$4" "$5"
}
# win.ini as a rewrite of Disable=00 to 1 left it when killed, beside its journal.
torn_by_rewrite() {
  chown root: "$d" "$ini" && printf '[Microsoft Proxy Service]\r\nDisable=1\r\n\n' >"$ini"
  journal_for "$ini" 35 37 1 "$old" >"$d/.win.ini.tavrel-journal" && chmod 600 "$d/.win.ini.tavrel-journal"
  cmd="$scratch/tavrel --state"
}
says_pending() { grep -q 'an interrupted write is pending' "$r/said" && [ "$(state "$watch")" = "$before" ]; }
restored() {
  printf '%s' "$old" | cmp -s - "$ini" && [ "$(cat "$r/printed")" = enabled ] && [ ! -e "$d/.win.ini.tavrel-journal" ]
}
# In a shared sticky directory, nobody moves in a root-owned file she may write, holding a
# journal that would put her bytes in root's win.ini.
journal_moved_in() {
  chown root: "$d" "$ini" && chmod 1777 "$d" && mkdir "$r/hers" && chown nobody "$r/hers"
  touch "$r/hers/pub" && chmod 666 "$r/hers/pub"
  local evil=$'[Microsoft Proxy Service]\r\nDisable=0\r\n[Evil]\r\n'
  journal_for "$ini" 0 "${#evil}" "$old" "$evil" >"$r/hers/pub"
  runuser -u nobody -- mv "$r/hers/pub" "$d/.win.ini.tavrel-journal"
}
# A directory nobody may write but not read, and a journal of nobody's beside win.ini:
# even a change of the same length names what stops it.
pending_in_write_only_directory() {
  torn_by_rewrite && chown nobody: "$d" "$ini" "$d/.win.ini.tavrel-journal" && chmod 300 "$d"
  cmd="$scratch/tavrel /off"
}
# Where /proc cannot tell who made a mount on the way, crossing it is refused.
mount_without_proc() {
  chown root: "$d" && mount -t tmpfs t "$d" && printf '%s' "$old" >"$ini"
  cmd="unshare -m sh -c 'mount -t tmpfs none /proc && exec $scratch/tavrel /off'"
}
says_who_made_it() { grep -q 'cannot tell who made a mount' "$r/said" && [ "$(state "$watch")" = "$before" ]; }
file_size_limit() { chown root: "$d" "$ini" && ls -A "$d" >"$r/listing" && cmd="ulimit -f 0; $cmd"; }
linked_journal() {
  chown root: "$d" "$ini" && chmod 1777 "$d" && printf '%s' "$old" >"$r/pub" && chmod 666 "$r/pub"
  runuser -u nobody -- ln "$r/pub" "$d/.win.ini.tavrel-journal"
}
# Holds every lock a reader can take on the directory and on win.ini, as nobody.
readers_locks() {
  runuser -u nobody -- flock "$d" flock "$ini" python3 -c "import fcntl,os,time
f=open('$ini'); fcntl.lockf(f, fcntl.LOCK_SH); open('$d/held','w')
while os.path.exists('$d/held'): time.sleep(0.05)" &
  for _ in $(seq 100); do [ -e "$d/held" ] && return; sleep 0.1; done
}
owner_not_in_group() { chown nobody:root "$ini" && chmod 664 "$ini"; }
setgid_file() { chmod 2664 "$ini"; }
hard_link() { chown root: "$d" "$ini" && ln "$ini" "$r/other" && watch=$r/other; }
created_in_users_prefix() { rm "$ini"; }
belongs_to_nobody() { [ "$(stat -c %U:%G "$ini")" = nobody:nogroup ]; }
module_from_working_directory() {
  echo '__attribute__((constructor)) static void f(void) { fopen("loaded", "w"); }' |
    cc -include stdio.h -shared -fPIC -x c -o "$r/tavrel-fltk.so" -
  watch=$r/loaded cmd="unshare -m sh -c 'mount -t tmpfs none /proc && cd $r && DISPLAY= exec $scratch/tavrel'"
}
large() { chown root: "$d" "$ini" && truncate -s 64M "$ini" && printf '%s' "$old" >>"$ini"; }
out_of_memory() { large && cmd="ulimit -v 60000; $cmd"; }
within_twice_its_size() { large && cmd="ulimit -v 140000; $cmd"; }
sparse_terabyte() { chown root: "$d" "$ini" && truncate -s 0 "$ini" && truncate -s 1T "$ini"; }
no_block_written() { [ "$(stat -c %s:%b "$ini")" = 1099511627776:0 ]; }
fifo() { rm "$ini" && chown root: "$d" && mkfifo "$ini"; }
device() { rm "$ini" && chown root: "$d" && mknod "$ini" c 1 3; }
junk_after_one() { printf '[Microsoft Proxy Service]\r\nDisable=1\0junk\r\n' >"$ini"; }
read_only_file() { chmod 444 "$ini"; }
says_read_only() { grep -q 'read-only file' "$r/said" && [ "$(state "$watch")" = "$before" ]; }
read_only_directory() { chmod 666 "$ini" && chmod 555 "$d"; }
# The same directory, and a value of the same length: written in place, with no lock file.
same_length_in_read_only_directory() { read_only_directory && sed -i 's/=00/=0/' "$ini"; }
# The lock file, kept after the run (its removal made to fail): only its owner may open it.
lock_file_kept() {
  held_open && cmd="LD_PRELOAD=$faults FAIL_UNLINK=-lock $cmd" watch=$d/.win.ini.tavrel-lock
}
only_its_owner_opens() { [ "$(stat -c %U:%a "$watch")" = nobody:200 ] && [ -z "$(getfacl -cs "$watch")" ]; }
# A rewrite behind a journal whose journal cannot be removed: the old bytes go back.
journal_kept() {
  chown root: "$d" "$ini" && ln "$ini" "$r/other"
  cmd="LD_PRELOAD=$faults FAIL_UNLINK=-journal $cmd"
}
# A directory that nobody may write but not read: a change of length (here behind a
# journal, win.ini having a second name) fails before anything is made.
write_only_directory() { ln "$ini" "$d/second" && chmod 300 "$d" && ls -A "$d" >"$r/listing"; }
nothing_made() { [ "$(state "$ini")" = "$before" ] && [ "$(ls -A "$d")" = "$(cat "$r/listing")" ]; }
created_on_full_file_system() {
  rm "$ini" && mount -t tmpfs -o size=64k,mode=755 t "$d" && head -c 1M /dev/zero >"$d/fill" 2>/dev/null
  [ -e "$d/fill" ]
}
nothing_left() { [ "$(ls -A "$d")" = fill ]; }
full_file_system() {
  mount -t tmpfs -o size=1m t "$d" && { head -c 600000 /dev/zero && printf '%s' "$old"; } >"$ini"
  head -c 400000 /dev/zero >"$d/fill"
}
read_only_mount() { mount -t tmpfs t "$d" && printf '%s' "$old" >"$ini" && mount -o remount,ro "$d"; }

# row FUNCTION AS STATUS CHECK: runs one threat.
row() {
  local threat=$1 as=$2 want=$3 check=$4 before status run=
  n=$((n + 1)) r=$scratch/$n
  d=$r/windows ini=$r/windows/win.ini watch=$r/windows/win.ini windir=$r/windows
  cmd="$scratch/tavrel /off"
  mkdir -p "$d" && printf '%s' "$old" >"$ini" && chown nobody:nogroup "$d" "$ini"
  "$threat" || { fail "$threat: could not be arranged" && return; }
  [ "$as" = nobody ] && run="runuser -u nobody --"
  case $check in
    same | nothing_made | printed_nothing | says_*) before=$(state "$watch") ;;
    switched) before=$(meta "$watch" && switched "$watch") ;;
  esac
  WINDIR=$windir timeout 30 $run bash -c "$cmd" >"$r/printed" 2>"$r/said"
  status=$?
  rm -f "$d/held"
  pkill -u nobody -f "$fuse_server"
  wait
  case $check in
    same) [ "$(state "$watch")" = "$before" ] ;;
    switched) [ "$(meta "$watch" && sha1sum <"$watch")" = "$before" ] ;;
    *) "$check" ;;
  esac
  local kept=$?
  umount /etc/group /etc/fuse.conf /dev/fuse 2>/dev/null
  printf '%-40s %-7s status %3s (want %s)\n' "$threat" "$as" "$status" "$want"
  check "$threat (kept: $kept)" [ "$status.$kept" = "$want.0" ]
}

row links_to_roots_file                  root   1 same
row users_link_in_roots_sticky_directory root   1 same
row users_lock_link                      root   1 same
row hard_link_as_lock                    root   1 same
row dangles_into_roots_directory         root   1 same
row roots_link_to_users_link             root   1 still_empty
row no_account_in_a_group_directory      root   1 same
row acl_and_attributes_kept              root   0 switched
row roots_trusted_and_security_attributes root  0 switched
row linked_journal                       root   1 same
row journal_moved_in                     root   1 same
row torn_by_rewrite                      nobody 1 says_pending
row torn_by_rewrite                      root   0 restored
row pending_in_write_only_directory      nobody 1 says_pending
row duplicate_gid_line                   root   1 same
row lookups_list_nothing                 root   1 same
row users_fuse_claims_everything_is_roots root  1 same
row fuse_diff                            root   1 printed_nothing
row users_server_on_their_win_ini        root   1 root_asked_nothing
row users_server_on_the_journal_name     root   1 root_asked_nothing
row mount_without_proc                   root   1 says_who_made_it
row file_size_limit                      root   1 nothing_made
row readers_locks                        root   0 switched
row owner_not_in_group                   nobody 0 switched
row setgid_file                          nobody 0 switched
row hard_link                            root   0 switched
row created_in_users_prefix              root   0 belongs_to_nobody
row module_from_working_directory        root   3 same
row out_of_memory                        root   1 same
row within_twice_its_size                root   0 switched
row sparse_terabyte                      root   1 no_block_written
row fifo                                 root   1 same
row device                               root   1 same
row junk_after_one                       root   0 same
row read_only_file                       nobody 1 same
row read_only_file                       root   1 says_read_only
row read_only_directory                  nobody 1 same
row same_length_in_read_only_directory   nobody 0 switched
row lock_file_kept                       root   0 only_its_owner_opens
row journal_kept                         root   1 same
row write_only_directory                 nobody 1 nothing_made
row created_on_full_file_system          root   1 nothing_left
row full_file_system                     root   1 same
row read_only_mount                      root   1 same
finish
