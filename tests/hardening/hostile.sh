#!/bin/bash
# Odd and hostile files and paths: hostile.sh TAVREL
# Each case runs `tavrel /off` and expects either success with only the switch changed,
# or failure (status 1) with whatever stands at win.ini exactly as it was; nothing may
# hang. Prints a table of the outcomes.
set -u
tavrel=$1
root=$(mktemp -d)
chmod 755 "$root"
trap 'umount "$root/full" "$root/ro" 2>/dev/null; chmod -R u+rwx "$root"; rm -rf "$root"' EXIT
failed=0 passed=0

header='[Microsoft Proxy Service]\r\n'

# The state of a path, byte for byte, without following a final link.
state() {
  if [ -L "$1" ]; then
    echo "link -> $(readlink "$1")"
  elif [ -p "$1" ]; then
    echo fifo
  elif [ -d "$1" ]; then
    echo "dir $(ls -A "$1" | tr '\n' ' ')"
  elif [ -e "$1" ]; then
    sha1sum <"$1"
  else
    echo absent
  fi
}

# run CASE WINDIR EXPECT [AS...]: EXPECT is "changed:FILE" (win.ini must then equal
# FILE) or "refused".
run() {
  local name=$1 windir=$2 expect=$3
  shift 3
  local ini=$windir/win.ini before start status took outcome
  before=$(state "$ini")
  start=$(date +%s%N)
  WINDIR=$windir timeout 60 "$@" "$tavrel" /off >/dev/null 2>&1
  status=$?
  took=$((($(date +%s%N) - start) / 1000000))
  if [ "$expect" = refused ]; then
    if [ "$status" = 1 ] && [ "$(state "$ini")" = "$before" ]; then outcome=ok; else outcome=FAIL; fi
  else
    if [ "$status" = 0 ] && cmp -s "$ini" "${expect#changed:}"; then outcome=ok; else outcome=FAIL; fi
  fi
  if [ -n "$(find "$windir" -maxdepth 1 -name '.*.tavrel-*' 2>/dev/null)" ]; then outcome=FAIL; fi
  printf '| %-34s | %-8s | %6s | %6d ms | %s\n' "$name" "${expect%%:*}" "$status" "$took" "$outcome"
  if [ "$outcome" = ok ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
}

# case NAME BEFORE_PRINTF_FORMAT: a fresh Windows directory whose win.ini holds the bytes,
# and the file expected after /off (every "Disable=0" of the switch turned to "Disable=1").
fresh() {
  dir=$root/$1
  mkdir -p "$dir"
  chmod 777 "$dir"
}
expect_switched() {
  sed 's/Disable=0/Disable=1/' "$1" >"$dir.expected"
  echo "changed:$dir.expected"
}

printf '| %-34s | %-8s | %6s | %9s | %s\n' case expected status time result
printf '|%s|\n' "------------------------------------|----------|--------|-----------|-------"

fresh nul
printf 'k=\0x\r\n[Microsoft Proxy Service\0y]\r\nDisable=0\0z\r\n' >"$dir/win.ini"
printf 'k=\0x\r\n[Microsoft Proxy Service\0y]\r\nDisable=1\r\n' >"$dir.expected"
run "NUL bytes" "$dir" "changed:$dir.expected"

fresh big
awk 'BEGIN { line = sprintf("%0100d", 0); for (i = 0; i < 900000; i++) printf "[S%d]\r\nk=%s\r\n", i, line
  printf "[Microsoft Proxy Service]\r\nDisable=0\r\n" }' >"$dir/win.ini"
run "100 MB file" "$dir" "$(expect_switched "$dir/win.ini")"

fresh long_line
{ printf '[a]\r\nx='; head -c 1048576 /dev/zero | tr '\0' x; printf "\r\n${header}Disable=0\r\n"; } >"$dir/win.ini"
run "1 MB line" "$dir" "$(expect_switched "$dir/win.ini")"

fresh no_final_break_new_key
printf '[Microsoft Proxy Service]\r\nPort=80' >"$dir/win.ini"
printf '[Microsoft Proxy Service]\r\nPort=80\r\nDisable=1' >"$dir.expected"
run "no line break, key added" "$dir" "changed:$dir.expected"

# Files whose only change must be the switch; each case's name is also its Windows
# directory's name, so blanks and non-ASCII characters stand in WINDIR too.
# name | the file, as a printf format
while IFS='|' read -r name format; do
  fresh "$name"
  # shellcheck disable=SC2059 # the format is the case's content
  printf "$format" >"$dir/win.ini"
  run "$name" "$dir" "$(expect_switched "$dir/win.ini")"
done <<'CASES'
no line break at the end|[Microsoft Proxy Service]\r\nDisable=0
CR-only line endings|[a]\rx=1\r[Microsoft Proxy Service]\rDisable=0\r
mixed line endings|[a]\r\nx=1\n\r[Microsoft Proxy Service]\rDisable=0\n
UTF-8 byte-order mark|\xEF\xBB\xBF[a]\r\nx=caf\xC3\xA9\r\n[Microsoft Proxy Service]\r\nDisable=0\r\n
invalid UTF-8|\xEF\xBB\xBF[a]\r\nx=\xFF\xFE\xC3\r\n[Microsoft Proxy Service]\r\nDisable=0\r\n
WINDIR with spaces|[Microsoft Proxy Service]\r\nDisable=0\r\n
WINDIR with non-ASCII characters ïü|[Microsoft Proxy Service]\r\nDisable=0\r\n
CASES

# As an unprivileged user, since permission bits do not stop root.
# name | mode of win.ini | mode of its directory
while IFS='|' read -r name file_mode dir_mode; do
  fresh "$name"
  printf "${header}Disable=0\r\n" >"$dir/win.ini"
  chmod "$file_mode" "$dir/win.ini"
  chmod "$dir_mode" "$dir"
  run "$name" "$dir" refused runuser -u nobody --
done <<'CASES'
no read permission (nobody)|222|777
read-only file (nobody)|444|777
read-only directory (nobody)|666|555
CASES

fresh utf16
printf "\xFF\xFE" >"$dir/win.ini"
printf "[a]\r\nx=\xC3\xA9\r\n${header}Disable=0\r\n" | iconv -f UTF-8 -t UTF-16LE >>"$dir/win.ini"
printf "\xFF\xFE" >"$dir.expected"
printf "[a]\r\nx=\xC3\xA9\r\n${header}Disable=1\r\n" | iconv -f UTF-8 -t UTF-16LE >>"$dir.expected"
run "UTF-16LE byte-order mark" "$dir" "changed:$dir.expected"

fresh utf16_odd
{ printf "\xFF\xFE"; printf "${header}Disable=0\r\n" | iconv -f UTF-8 -t UTF-16LE; printf x; } >"$dir/win.ini"
run "UTF-16 with an odd byte count" "$dir" refused

fresh fifo
mkfifo "$dir/win.ini"
run "a FIFO" "$dir" refused

fresh directory
mkdir "$dir/win.ini"
run "a directory" "$dir" refused

fresh dangling
ln -s target.ini "$dir/win.ini"
printf "${header}Disable=1\r\n" >"$dir.expected"
run "a dangling symbolic link" "$dir" "changed:$dir.expected"
[ -L "$dir/win.ini" ] || { echo "FAIL: the link was replaced"; failed=$((failed + 1)); }

fresh loop
ln -s a "$dir/win.ini"
ln -s win.ini "$dir/a"
run "a symbolic link loop" "$dir" refused

dir=$root/full
mkdir "$dir"
if mount -t tmpfs -o size=1m tmpfs "$dir" 2>/dev/null; then
  { head -c 600000 /dev/zero | tr '\0' ';'; printf "\r\n${header}Disable=0\r\n"; } >"$dir/win.ini"
  head -c 300000 /dev/zero >"$dir/filler" 2>/dev/null
  run "a full file system" "$dir" refused
else
  echo "| a full file system: cannot mount a tmpfs here"
fi

dir=$root/ro
mkdir "$dir"
if mount -t tmpfs -o size=1m tmpfs "$dir" 2>/dev/null; then
  printf "${header}Disable=0\r\n" >"$dir/win.ini"
  mount -o remount,ro "$dir"
  run "a read-only mount" "$dir" refused
else
  echo "| a read-only mount: cannot mount a tmpfs here"
fi

fresh trailing
printf "${header}Disable=0\r\n" >"$dir/win.ini"
run "WINDIR with a trailing slash" "$dir/" "$(expect_switched "$dir/win.ini")"

dir=$root/deep
for _ in $(seq 50); do dir=$dir/$(printf '%0100d' 0); done
mkdir -p "$dir"
run "WINDIR longer than PATH_MAX" "$dir" refused

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
