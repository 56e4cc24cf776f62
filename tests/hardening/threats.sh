#!/bin/bash
# What another user can do to root's run, and what a write keeps: threats.sh TAVREL
# One row per threat. $d is a Windows directory owned by nobody, holding nobody's win.ini
# ($ini); $r is root's directory around it. The setup may change $cmd (run by bash, as
# root or nobody). After the run the watched path must be "same" (bytes, inode, owner,
# mode, ACL, attributes), "switched" (only Disable changed), or meet the condition given.
set -u
top=$(mktemp -d)
trap 'umount "$top"/*/windows 2>/dev/null; rm -rf "$top"' EXIT
chmod 755 "$top" && cp "$1" "$top/tavrel"
passed=0 failed=0 n=0
old=$'[Microsoft Proxy Service]\r\nDisable=0\r\n'

meta() {
  stat -c '%F %U:%G %a %h' "$1" 2>&1
  getfacl -cpP "$1" 2>/dev/null
  getfattr -hd -m - -e hex "$1" 2>/dev/null | grep -v '^#'
}
state() { meta "$1"; if [ -f "$1" ] && [ ! -L "$1" ]; then stat -c %i "$1" && sha1sum <"$1"; fi; }
# Holds every lock a reader can take on the directory and on win.ini, as nobody.
hold() {
  runuser -u nobody -- flock "$d" flock "$ini" python3 -c "import fcntl,os,time
f=open('$ini'); fcntl.lockf(f, fcntl.LOCK_SH); open('$d/held','w')
while os.path.exists('$d/held'): time.sleep(0.05)" &
  for _ in $(seq 100); do [ -e "$d/held" ] && return; sleep 0.1; done
}

while IFS='|' read -r name who want watch check setup; do
  n=$((n + 1)) r=$top/$n
  d=$r/windows ini=$r/windows/win.ini cmd="$top/tavrel /off" as=
  mkdir -p "$d"
  printf '%s' "$old" >"$ini"
  chown nobody:nogroup "$d" "$ini"
  eval "$setup"
  [ "$who" = nobody ] && as="runuser -u nobody --"
  watch=$(eval echo "$watch")
  if [ "$check" = switched ]; then
    before=$(meta "$watch" && sed 's/Disable=0/Disable=1/' "$watch" | sha1sum)
    check='[ "$(meta "$watch" && sha1sum <"$watch")" = "$before" ]'
  else
    before=$(state "$watch")
  fi
  [ "$check" = same ] && check='[ "$(state "$watch")" = "$before" ]'
  WINDIR=$d timeout 30 $as bash -c "$cmd" >/dev/null 2>&1
  status=$?
  rm -f "$d/held"
  wait
  if [ "$status" = "$want" ] && eval "$check"; then result=ok; else result=FAIL; fi
  printf '%-44s %-7s status %3s (want %s)  %s\n' "$name" "$who" "$status" "$want" "$result"
  if [ "$result" = ok ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
done <<'ROWS'
win.ini links to root's 0640 file|root|1|$r/secret|same|printf "$old" >$r/secret; chmod 640 $r/secret; ln -sf $r/secret $ini
nobody's link in root's sticky shared directory|root|1|$r/secret|same|printf "$old" >$r/secret; chown root: $d; chmod 1777 $d; ln -sf $r/secret $ini; chown -h nobody $ini
nobody's lock link in root's sticky directory|root|1|$r/secret|same|printf "$old" >$r/secret; chown root: $d $ini; chmod 1777 $d; ln -s $r/secret $d/.win.ini.tavrel-lock; chown -h nobody $d/.win.ini.tavrel-lock
win.ini dangles into root's directory|root|1|$r/made|same|ln -sf $r/made $ini
prefix links into root's directory|root|1|$r/w/win.ini|same|mkdir $r/w; printf "$old" >$r/w/win.ini; ln -s $r/w $d/w; chown -h nobody $d/w; d=$d/w
ACL and attributes kept, no inherited ACL|root|0|$ini|switched|chmod 640 $ini; setfacl -m u:daemon:rw $ini; setfattr -n user.t -v x $ini; setfacl -d -m u:bin:rwx $d
root's file keeps trusted and security attributes|root|0|$ini|switched|chown root: $d $ini; setfacl -d -m u:bin:rwx $d; chmod 4640 $ini; setfattr -n trusted.t -v 1 $ini; setfattr -n security.t -v 2 $ini
nobody's link leads into daemon's prefix|root|1|$r/b/x/win.ini|same|mkdir -p $r/b/x; printf "$old" >$r/b/x/win.ini; chown -R daemon $r/b; ln -s $r/b $d/w; chown -h nobody $d/w; d=$d/w/x
root's link leads through nobody's directory|root|1|$r/secret|same|printf "$old" >$r/secret; chown root: $d; mkdir $r/h; chown nobody $r/h; ln -s $r $r/h/a; chown -h nobody $r/h/a; ln -sf $r/h/a/secret $ini
a linked journal is not restored|root|1|$ini|same|chown root: $d $ini; chmod 1777 $d; printf "$old" >$r/pub; chmod 666 $r/pub; runuser -u nobody -- ln $r/pub $d/.win.ini.tavrel-journal
no group or ACL of a setgid directory opens the lock|root|0|$d/.win.ini.tavrel-lock|! runuser -u daemon -- sh -c ": >>$watch" 2>/dev/null|chown nobody:daemon $d; chmod 2775 $d; setfacl -d -m u:daemon:rwx $d; chmod 664 $ini
a reader's locks do not hold up a write|root|0|$ini|switched|hold
owner not in the file's group: in place|nobody|0|$ini|switched|chown nobody:root $ini; chmod 664 $ini
setgid file of the owner's group|nobody|0|$ini|switched|chmod 2664 $ini
a hard link: both names changed|root|0|$r/other|switched|chown root: $d $ini; ln $ini $r/other
created in nobody's prefix belongs to nobody|root|0|$ini|[ "$(stat -c %U:%G $ini)" = nobody:nogroup ]|rm $ini
journal of a killed in-place rewrite restored|nobody|0|$ini|cmp -s $ini <(printf "${old/=0/=1}") && [ ! -e $d/.win.ini.tavrel-journal ]|printf '[x]' >$ini; printf "$old" >$d/.win.ini.tavrel-journal; chown nobody $d/.win.ini.tavrel-journal
no /proc: no module from the current directory|root|2|$r/loaded|same|echo '__attribute__((constructor)) static void f(void) { fopen("loaded", "w"); }' | cc -include stdio.h -shared -fPIC -x c -o $r/tavrel-fltk.so -; cmd="unshare -m sh -c 'mount -t tmpfs none /proc && cd $r && DISPLAY= exec $top/tavrel'"
out of memory: status 1|root|1|$ini|same|chown root: $d $ini; truncate -s 64M $ini; printf "$old" >>$ini; cmd="ulimit -v 60000; $cmd"
64 MB file within about twice its size|root|0|$ini|switched|chown root: $d $ini; truncate -s 64M $ini; printf "$old" >>$ini; cmd="ulimit -v 140000; $cmd"
a FIFO is not opened|root|1|$ini|same|rm $ini; chown root: $d; mkfifo $ini
a device is not opened|root|1|$ini|same|rm $ini; chown root: $d; mknod $ini c 1 3
stored 1, NUL and junk: nothing written|root|0|$ini|same|printf '[Microsoft Proxy Service]\r\nDisable=1\0junk\r\n' >$ini
read-only win.ini|nobody|1|$ini|same|chmod 444 $ini
read-only directory|nobody|1|$ini|same|chmod 666 $ini; chmod 555 $d
full file system|root|1|$ini|same|mount -t tmpfs -o size=1m t $d; { head -c 600000 /dev/zero; printf "$old"; } >$ini; head -c 400000 /dev/zero >$d/fill
read-only mount|root|1|$ini|same|mount -t tmpfs t $d; printf "$old" >$ini; mount -o remount,ro $d
ROWS
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
