#!/bin/bash
# Black-box test of the window, driven by keys in an X server of its own:
#   window.sh WINDOWS_DIR ARTIFACT_DIR COMMAND...
# Opens the window for stored values and command lines, presses keys with xdotool
# and checks win.ini and the end of the process; keeps a screenshot of every view
# in ARTIFACT_DIR. WINDOWS_DIR "auto" makes a scratch directory passed as WINDIR.
# Set WM_CLOSE to the helper that clicks the close box; LINUX_CHECKS=1 adds the
# checks that only hold for the Linux window (exact X geometry, no display).
set -u
windir=$1 artifacts=$2
shift 2
mkdir -p "$artifacts"
scratch=$(mktemp -d)
if [ "$windir" = auto ]; then
  windir=$scratch/windows
  mkdir "$windir"
fi
export WINDIR=$windir
ini=$windir/win.ini
header='[Microsoft Proxy Service]\r\n' # escapes, expanded by printf %b
passed=0 failed=0 pid=

# shellcheck source=xvfb.sh
. "$(dirname "$0")/xvfb.sh"
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  stop_xvfb
  rm -rf "$scratch"
}
trap cleanup EXIT
start_xvfb || exit 1

fail() {
  echo "FAIL: $case: $*"
  failed=$((failed + 1))
}

# Each case counts once: passed when none of its checks failed.
begin() {
  case=$1
  failed_before=$failed
}
end_case() {
  finish
  [ "$failed" = "$failed_before" ] && passed=$((passed + 1))
}

# The file as the tables write it: 0, 1, EMPTY (a value of nothing), ABSENT or DIR.
content() {
  case $1 in
    ABSENT) echo ABSENT ;;
    EMPTY) printf '%b' "${header}Disable=\r\n" | od -An -c ;;
    *) printf '%b' "${header}Disable=$1\r\n" | od -An -c ;;
  esac
}
store() {
  rm -rf "$ini"
  case $1 in
    ABSENT) ;;
    DIR) mkdir "$ini" ;;
    EMPTY) printf '%b' "${header}Disable=\r\n" >"$ini" ;;
    *) printf '%b' "${header}Disable=$1\r\n" >"$ini" ;;
  esac
}
stored() {
  if [ -d "$ini" ]; then echo DIR; elif [ -e "$ini" ]; then od -An -c "$ini"; else echo ABSENT; fi
}

# Starts the program and waits for its window (or help box) to be mapped.
launch() {
  if [ -n "$program_args" ]; then set -- "$@" "$program_args"; fi
  "$@" >"$scratch/out" 2>&1 &
  pid=$!
  win=$(wait_for_window "$pid") || fail "no window appeared"
  sleep 0.3
}

# Presses keys while the program runs; a key sent after its end would reach another window.
press() {
  for key in "$@"; do
    kill -0 "$pid" 2>/dev/null || return
    if [ "$key" = CLOSE ]; then
      "$WM_CLOSE" "$win"
    else
      xdotool windowfocus --sync "$win" key "$key" 2>/dev/null
    fi
    sleep 0.3
  done
}

# The process's end: its exit status, or "alive" when it still runs.
outcome() {
  for _ in $(seq 10); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      echo $?
      pid=
      return
    fi
    sleep 0.1
  done
  echo alive
}

finish() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  pid=
}

shoot() {
  import -window "$win" "$artifacts/$1.png" 2>/dev/null || fail "no screenshot $1"
}

# Cases: stored | command line | keys | stored after | end (exit status or alive) |
# screenshots before and after the keys
while IFS='|' read -r before args keys after end shot; do
  begin "[$before] '$args' $keys"
  store "$before"
  program_args=$args
  launch "$@"
  [ -n "$shot" ] && shoot "${shot%,*}"
  # shellcheck disable=SC2086 # the keys are split on purpose
  press $keys
  got=$(outcome)
  [ "$got" = "$end" ] || fail "ended with '$got', expected '$end'"
  [ "$(stored)" = "$(content "$after")" ] || fail "win.ini is $(stored), expected $after"
  [ "$got" = alive ] && [ "$shot" != "${shot#*,}" ] && shoot "${shot#*,}"
  end_case
done <<'CASES'
1||alt+e|0|alive|status-disabled,switched-on
0||alt+d|1|alive|status-enabled,switched-off
EMPTY||alt+d alt+e|EMPTY|alive|initial
1||alt+e Return|0|0|
0||alt+d Escape|1|alive|
0||alt+d space|1|0|
0||Return|1|alive|
0||Tab Return|0|0|
0||shift+Tab shift+Tab Return|1|alive|
0||Escape|0|0|
0||alt+c|0|0|
0||alt+e|0|alive|
1||alt+d|1|alive|
EMPTY||Return|EMPTY|0|
EMPTY||Escape|EMPTY|0|
ABSENT||alt+d|1|alive|
0|/of|Return|0|0|
1|/ON|Tab Return|0|alive|
0|-on|alt+d|1|alive|
0||CLOSE|0|0|
0||alt+d CLOSE|1|0|
1|/?|Return|1|0|help
CASES

# A failed write leaves the window as it was; the next press works once it can write.
begin "failed write"
store 0
program_args=
launch "$@"
store DIR
press alt+d
[ "$(outcome)" = alive ] || fail "ended after a failed write"
[ "$(stored)" = DIR ] || fail "win.ini was replaced"
shoot failed-write
store 0
press alt+d
[ "$(stored)" = "$(content 1)" ] || fail "second press did not write"
end_case

if [ "${LINUX_CHECKS:-0}" = 1 ]; then
  begin "geometry"
  store 0
  program_args=
  launch "$@"
  size=$(xwininfo -id "$win" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
  [ "$size" = 313x41 ] || fail "client area is $size"
  xprop -id "$win" WM_NORMAL_HINTS | grep -q 'minimum size: 313 by 41' || fail "resizable"
  xprop -id "$win" WM_NORMAL_HINTS | grep -q 'maximum size: 313 by 41' || fail "resizable"
  xprop -id "$win" _MOTIF_WM_HINTS | grep -q '0x3, 0x24, 0x1a' || fail "minimize or maximize box asked for"
  [ "$(xprop -id "$win" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')" = \
    "Icon (16 x 16) Icon (32 x 32) " ] || fail "the window has no icon of 16 and 32 pixels"
  # The label's text stands left-aligned inside its place (8,16 161x17), clear of the buttons.
  import -window "$win" "$scratch/label.png"
  read -r lw lh lx ly < <(convert "$scratch/label.png" -crop 167x41+0+0 +repage -fuzz 20% -trim \
    -format '%w %h %X %Y' info: | tr -d '+')
  [ "$lx" -ge 8 ] && [ "$lx" -le 11 ] && [ "$ly" -ge 16 ] && [ $((lx + lw)) -le 169 ] &&
    [ $((ly + lh)) -le 33 ] || fail "label text at ${lw}x${lh}+$lx+$ly"
  end_case

  # A click just inside each corner of a button presses it; just outside does not.
  # x y | stored after | end
  while read -r x y after end; do
    begin "click at $x,$y"
    store 0
    program_args=
    launch "$@"
    xdotool mousemove --window "$win" "$x" "$y" click 1
    sleep 0.3
    got=$(outcome)
    [ "$got" = "$end" ] || fail "ended with '$got', expected '$end'"
    [ "$(stored)" = "$(content "$after")" ] || fail "win.ini is $(stored), expected $after"
    end_case
  done <<'CLICKS'
168 8 1 alive
232 32 1 alive
167 20 0 alive
233 20 0 alive
200 7 0 alive
200 33 0 alive
240 8 0 0
304 32 0 0
239 20 0 alive
305 20 0 alive
CLICKS

  begin "no display"
  store 0
  out=$(env -u DISPLAY "$@" 2>&1)
  status=$?
  [ "$status" = 2 ] || fail "exit status $status"
  [ "$(printf '%s\n' "$out" | wc -l)" = 1 ] || fail "printed: $out"
  [ "$(stored)" = "$(content 0)" ] || fail "wrote without a window"
  end_case
fi

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
