#!/bin/bash
# Black-box test of the real window, one driver for the Linux build and Tavrel.exe
# under Wine: window.sh WINDOWS_DIR ARTIFACT_DIR COMMAND...
# In an X server of its own it opens the window, presses keys with xdotool and checks
# the end of the process and win.ini, keeping a screenshot of each view in ARTIFACT_DIR.
# WINDOWS_DIR "auto" makes a scratch directory, passed as WINDIR. WM_CLOSE is the
# helper that clicks the close box. LINUX_CHECKS=1 adds the frame hints, clicks, the
# layout at 96 and 192 dpi and a run without a display; WINDOW_PROBE (under Wine) the
# layout at 96 and 144 dpi as Windows reports it.
set -u
windir=$1 artifacts=$2
shift 2
cmd=("$@")
mkdir -p "$artifacts"
scratch=$(mktemp -d)
[ "$windir" = auto ] && windir=$scratch
export WINDIR=$windir
ini=$windir/win.ini golden=$(dirname "$0")/../window/layout.golden
passed=0 failed=0 pid=
# shellcheck source=xvfb.sh
. "$(dirname "$0")/xvfb.sh"
set_dpi() { # Wine's resolution: $1, or its default without it
  local key='HKCU\Control Panel\Desktop'
  if [ -n "${1:-}" ]; then wine reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f
  else wine reg delete "$key" /v LogPixels /f; fi >/dev/null 2>&1
}
trap '[ -n "$pid" ] && kill "$pid"; [ -n "${WINDOW_PROBE:-}" ] && set_dpi; stop_xvfb; rm -rf "$scratch"' EXIT
start_xvfb || exit 1

fail() { echo "FAIL: $case: $*" && ok=0; }
content() { printf '[Microsoft Proxy Service]\r\nDisable=%s\r\n' "${1/EMPTY/}"; }
same_file() { [ "$(od -An -c "$ini" 2>/dev/null)" = "$(content "$1" | od -An -c)" ]; }

# Starts a case: stores the value $1, runs the program (with the argument $2) and
# waits for its window.
begin() {
  case="[$1] '$2' ${3:-}" ok=1
  content "$1" >"$ini"
  "${cmd[@]}" ${2:+"$2"} >/dev/null 2>&1 &
  pid=$!
  win=$(wait_for_window "$pid") || fail "no window appeared"
}

# Ends a case: waits (up to 5 s) for the process to end with status $1, or with $1
# "alive" for win.ini to hold $2 while the process goes on; then checks win.ini.
end_case() {
  local got=alive
  for _ in $(seq 50); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      got=$? pid=
      break
    fi
    [ "$1" = alive ] && same_file "$2" && break
    sleep 0.1
  done
  [ "$got" = "$1" ] || fail "ended with '$got', expected '$1'"
  same_file "$2" || fail "win.ini is $(od -An -c "$ini"), expected $2"
  [ -n "$pid" ] && kill "$pid" && wait "$pid" 2>/dev/null
  pid=
  [ "$ok" = 1 ] && passed=$((passed + 1)) || failed=$((failed + 1))
}

# Sends keys (hold:KEY holds one for 1.5 s), clicks (click:X,Y) or CLOSE (the close
# box) while the program runs: after its end they would reach another window.
press() {
  for key in "$@"; do
    kill -0 "$pid" 2>/dev/null || return
    case $key in
      CLOSE) "$WM_CLOSE" "$win" ;;
      click:*) xy=${key#click:} && xdotool mousemove --window "$win" "${xy%,*}" "${xy#*,}" click 1 ;;
      hold:*) xdotool windowfocus --sync "$win" keydown "${key#hold:}" && sleep 1.5 &&
        xdotool keyup "${key#hold:}" ;;
      *) xdotool windowfocus --sync "$win" key "$key" ;;
    esac
  done
}

# Keeps a screenshot as $1.png once the window is drawn (two screenshots alike); with
# $2, waits (up to 5 s) for it to differ from the screenshot $2 ("=NAME": to be NAME).
shoot() {
  local file=$artifacts/$1.png ref=${2:-} want=unlike got
  [ "$ref" != "${ref#=}" ] && want=like
  for _ in $(seq 25); do
    import -window "$win" "$file" 2>/dev/null || continue
    [ -n "$ref" ] && [ "$(compare -metric AE "$file" "$artifacts/${ref#=}.png" null: 2>&1)" = 0 ] &&
      got=like || got=unlike
    cmp -s "$file" "$scratch/last.png" && [ "$got" = "$want" ] && return
    cp "$file" "$scratch/last.png"
    sleep 0.2
  done
  fail "screenshot $1 is not $want ${ref#=}"
}

# Cases: stored | argument | keys | end (exit status or alive) | stored after |
# screenshots before and after the keys, and what the second is to be (as in shoot;
# by default, unlike the first).
cases() {
  while IFS='|' read -r before arg keys end after shots; do
    IFS=, read -r shot_before shot_after like <<<"$shots"
    begin "$before" "$arg" "$keys"
    [ -n "$shot_before" ] && shoot "$shot_before"
    # shellcheck disable=SC2086 # the keys are split on purpose
    press $keys
    [ -n "$shot_after" ] && shoot "$shot_after" "${like:-$shot_before}"
    end_case "$end" "$after"
  done
}
cases <<'CASES'
1||alt+e|alive|0|status-disabled,switched-on
0||alt+d|alive|1|status-enabled,switched-off
0||hold:space|alive|1|,held-space,=switched-off
0||hold:Return|alive|1|,held-return,=switched-off
EMPTY||Escape|0|EMPTY|initial
0||CLOSE|0|0|
1|/?|Return|0|1|help
CASES

# The window at $1 dpi: its size and places as in layout.golden (the frame's hints on
# Linux, Windows' own report under Wine), and the label's text left-aligned in its place
# (clear of the button), in a font of that resolution and not the bold System font.
layout() {
  local dpi=$1 w h lx ly lw lh fw fh tw th tx ty
  begin 0 "" "at $dpi dpi"
  read -r w h < <(awk -v d="$dpi" '$1 == d { split($3, s, "[x,]"); print s[1], s[2] }' "$golden")
  IFS=' ,x' read -r _ lx ly lw lh < <(awk -v d="$dpi" '$1 == d { p = 1 } p && $1 == "label" { print; exit }' "$golden")
  if [ -n "${WINDOW_PROBE:-}" ]; then
    local got expected
    got=$(wine "$WINDOW_PROBE" | tr -d '\r')
    expected=$(awk -v d="$dpi" '$2 == "dpi:" { p = $1 == d; if (p) print substr($3, 1, length($3) - 1); next } p' "$golden")
    [ "$got" = "$expected" ] || fail "the window is $(diff <(echo "$expected") <(echo "$got"))"
  else
    [ "$(xwininfo -id "$win" | awk '/Width:/ { w = $2 } /Height:/ { print w "x" $2 }')" = "${w}x$h" ] ||
      fail "the window is not ${w}x$h"
    xprop -id "$win" WM_NORMAL_HINTS | grep -q "minimum size: $w by $h" || fail "resizable"
    xprop -id "$win" WM_NORMAL_HINTS | grep -q "maximum size: $w by $h" || fail "resizable"
    xprop -id "$win" _MOTIF_WM_HINTS | grep -q '= 0x3, 0x24, 0x1a' || fail "minimize or maximize asked for"
    xprop -id "$win" _NET_WM_ICON | grep -q 'Icon (32 x 32)' || fail "no icon"
  fi
  shoot "window-$dpi-dpi"
  read -r fw fh < <(identify -format '%w %h' "$artifacts/window-$dpi-dpi.png")
  fw=$(((fw - w) / 2)) && fh=$((fh - h - fw)) # the frame that Wine draws
  read -r tw th tx ty < <(convert "$artifacts/window-$dpi-dpi.png" -crop "$((lw - dpi / 32))x$lh+$((lx + fw))+$((ly + fh))" \
    +repage -fuzz 20% -trim -format '%w %h %X %Y' info: | tr -d '+')
  [ "$tx" -le $((dpi / 32)) ] && [ "$tw" -ge "$dpi" ] && [ "$tw" -le $((lw * 9 / 10)) ] &&
    [ "$th" -ge $((dpi / 12)) ] && [ "$th" -le $((lh * 3 / 4)) ] || fail "label text ${tw}x$th at $tx,$ty"
  end_case alive 0
}

if [ "${LINUX_CHECKS:-0}" = 1 ]; then
  # Clicks just outside Disable and Cancel press nothing; just inside they press.
  cases <<'CASES'
0||click:167,20 click:233,20 click:200,7 click:200,33 click:239,20 click:305,20 click:304,32|0|0|
0||click:168,8|alive|1|
0||click:232,32|alive|1|
0||click:240,8|0|0|
CASES
  for dpi in 96 192; do TAVREL_DPI=$dpi layout "$dpi"; done
  case="no display" ok=1
  out=$(env -u DISPLAY "${cmd[@]}" 2>&1)
  status=$?
  [ "$status $(wc -l <<<"$out")" = "2 1" ] || fail "ended with $status printing: $out"
  [ "$ok" = 1 ] && passed=$((passed + 1)) || failed=$((failed + 1))
fi

if [ -n "${WINDOW_PROBE:-}" ]; then
  for dpi in 96 144; do set_dpi "$dpi" && layout "$dpi"; done
fi

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
