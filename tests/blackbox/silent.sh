#!/bin/bash
# Black-box test of the silent switches: silent.sh WINDOWS_DIR COMMAND...
# Runs COMMAND with each switch against WINDOWS_DIR/win.ini and checks the file,
# the exit status and that nothing is printed. WINDOWS_DIR "auto" makes a scratch
# directory and hands it to the program as WINDIR.
# COMPARE=keys compares win.ini key by key instead of byte by byte (for a platform that
# rewrites the whole file); UNPRIVILEGED=0 leaves out the cases run as another user.
set -u
windir=$1
shift
if [ "$windir" = auto ]; then
  windir=$(mktemp -d)
  trap 'chmod -R u+w "$windir"; rm -rf "$windir"' EXIT
  chmod 755 "$windir"
fi
export WINDIR=$windir
unset DISPLAY WAYLAND_DISPLAY
ini=$windir/win.ini
header='[Microsoft Proxy Service]\r\n'  # escapes, expanded by printf %b
passed=0 failed=0

fail() {
  echo "FAIL: $*"
  failed=$((failed + 1))
}

# check NAME STATUS EXPECTED_FILE -- runs the program with the remaining arguments
check() {
  local name=$1 want_status=$2 want_file=$3
  shift 3
  local out status
  out=$(timeout 60 "$@" 2>&1) # a window opened without a display would wait forever
  status=$?
  local got want
  got=$(view <"$ini" 2>/dev/null || echo "(not a file)")
  want=$(printf '%b' "$want_file" | view)
  [ -d "$ini" ] && want_file=DIR
  if [ "$status" != "$want_status" ]; then
    fail "$name: exit status $status, expected $want_status"
  elif [ -n "$out" ]; then
    fail "$name: printed: $out"
  elif [ "$want_file" != DIR ] && [ "$got" != "$want" ]; then
    fail "$name: win.ini is$got, expected$want"
  else
    passed=$((passed + 1))
  fi
}

# The file as compared: its bytes, or its sections and keys in order, names in lower case
# and blanks around names and values left out.
view() {
  if [ "${COMPARE:-bytes}" = keys ]; then
    tr -d '\r' | awk '
      { sub(/^[ \t]+/, ""); sub(/[ \t]+$/, "") }
      /^$/ { next }
      /^\[.*\]$/ { section = tolower(substr($0, 2, length($0) - 2)); next }
      { key = $0; value = ""
        if (i = index($0, "=")) { key = substr($0, 1, i - 1); value = substr($0, i + 1) }
        sub(/[ \t]+$/, "", key); sub(/^[ \t]+/, "", value)
        print section "|" tolower(key) "=" value }'
  else
    od -An -c
  fi
}

store() { rm -rf "$ini"; [ "$1" = ABSENT ] || printf '%b' "$1" > "$ini"; }

# Switches: arguments | stored before | stored after
while IFS='|' read -r args before after; do
  store "$before"
  # shellcheck disable=SC2086 # the arguments are split on purpose
  check "$args" 0 "$after" "$@" $args
done <<EOF_CASES
/off|${header}Disable=0\r\n|${header}Disable=1\r\n
/on|${header}Disable=1\r\n|${header}Disable=0\r\n
/on /off|${header}Disable=1\r\n|${header}Disable=0\r\n
/off /on|${header}Disable=1\r\n|${header}Disable=0\r\n
/? /on|${header}Disable=1\r\n|${header}Disable=0\r\n
/online|${header}Disable=1\r\n|${header}Disable=0\r\n
/off|ABSENT|${header}Disable=1\r\n
/off|[a]\nx=1\n|[a]\nx=1\n[Microsoft Proxy Service]\nDisable=1\n
/on|[Microsoft Proxy Service]\n disable = 1 \n[b]\ny=2\n|[Microsoft Proxy Service]\n disable = 0 \n[b]\ny=2\n
EOF_CASES

# A command line of one argument holding blanks is taken as it is: /off is found in it.
store "${header}Disable=0\r\n"
check "quoted blanks" 0 "${header}Disable=1\r\n" "$@" "  /off  "

# Failed writes: status 1, nothing printed, nothing changed.
store ABSENT
mkdir "$ini"
check "win.ini is a directory" 1 DIR "$@" /off
rmdir "$ini"

if [ "${UNPRIVILEGED:-1}" = 0 ]; then
  echo "SKIP: permission cases (this platform cannot run as another user here)"
elif [ "$(id -u)" = 0 ] && command -v runuser >/dev/null; then
  as_nobody=(runuser -u nobody --)
  store "${header}Disable=0\r\n"
  chmod 644 "$ini"
  check "read-only file" 1 "${header}Disable=0\r\n" "${as_nobody[@]}" "$@" /off
  chmod 666 "$ini"
  chmod 555 "$windir"
  check "read-only directory" 1 "${header}Disable=0\r\n" "${as_nobody[@]}" "$@" /off
  chmod 755 "$windir"
else
  echo "SKIP: permission cases need root to switch to an unprivileged user"
fi

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
