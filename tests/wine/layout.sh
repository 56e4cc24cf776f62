#!/bin/bash
# The Windows window as Windows itself reports it, at 96 and at 144 dpi:
#   layout.sh WINDOW_PROBE ARTIFACT_DIR COMMAND...
# WINDOW_PROBE lists the frame, the client size and the controls in tab order; a
# screenshot shows the icon in the title bar and the label in the default GUI font.
set -u
probe=$1 artifacts=$2
shift 2
mkdir -p "$artifacts"
# shellcheck source=../blackbox/xvfb.sh
. "$(dirname "$0")/../blackbox/xvfb.sh"
passed=0 failed=0 pid=
trap 'set_dpi; [ -n "$pid" ] && kill "$pid" 2>/dev/null; stop_xvfb' EXIT
start_xvfb || exit 1
ini=$WINEPREFIX/drive_c/windows/win.ini

set_dpi() {
  if [ -n "${1:-}" ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  else
    wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
  fi
}

check() {
  local dpi=$1 expected=$2 failed_before=$failed
  shift 2
  set_dpi "$dpi"
  printf '[Microsoft Proxy Service]\r\nDisable=0\r\n' >"$ini"
  "$@" >/dev/null 2>&1 &
  pid=$!
  local win
  if ! win=$(wait_for_window "$pid"); then
    echo "FAIL: $dpi dpi: no window"
    failed=$((failed + 1))
    return
  fi
  sleep 0.5
  local got
  got=$(wine "$probe" 2>/dev/null | tr -d '\r')
  if [ "$got" != "$expected" ]; then
    echo "FAIL: $dpi dpi: the window is"
    diff <(echo "$expected") <(echo "$got")
    failed=$((failed + 1))
  fi
  import -window "$win" "$artifacts/window-$dpi-dpi.png"
  if [ "$dpi" = 96 ]; then check_pixels "$artifacts/window-$dpi-dpi.png"; fi
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  pid=
  [ "$failed" = "$failed_before" ] && passed=$((passed + 1))
}

# The frame Wine draws around the client area: equal borders, the caption on top.
check_pixels() {
  local shot=$1 w h
  read -r w h < <(identify -format '%w %h' "$shot")
  local bx=$(((w - 313) / 2))
  local by=$((h - 41 - bx))
  # The title bar holds the icon: its blue globe and green switch.
  local colours
  colours=$(convert "$shot" -crop "$((by))x$((by))+0+0" +repage -unique-colors txt:- | tr 'A-F' 'a-f')
  for colour in '#0000ff' '#00ffff' '#008000'; do
    grep -q "$colour" <<<"$colours" || { echo "FAIL: no $colour of the icon in the title bar"; failed=$((failed + 1)); }
  done
  # The label's text, left-aligned in its place, narrow enough to be the default GUI
  # font and not the bold System font (which fills the whole 161 pixels).
  local tw th tx ty
  read -r tw th tx ty < <(convert "$shot" -crop "161x17+$((bx + 8))+$((by + 16))" +repage \
    -fuzz 20% -trim -format '%w %h %X %Y' info: | tr -d '+')
  if [ "$tx" -gt 2 ] || [ "$tw" -gt 145 ] || [ "$th" -gt 13 ]; then
    echo "FAIL: label text is ${tw}x${th} at $tx,$ty"
    failed=$((failed + 1))
  fi
}

check 96 "client|313x41
frame|closebox|-|-|fixed
Button|&Disable|168,8,65,25|visible|enabled|tabstop|-
Button|&Enable|168,8,65,25|hidden|enabled|tabstop|-
Button|&Cancel|240,8,65,25|visible|enabled|tabstop|-
Static|Proxy Client is ENABLED|8,16,161,17|visible|enabled|-|-
Button|&Close|168,8,65,25|hidden|enabled|tabstop|-" "$@"

check 144 "client|470x62
frame|closebox|-|-|fixed
Button|&Disable|252,12,98,38|visible|enabled|tabstop|-
Button|&Enable|252,12,98,38|hidden|enabled|tabstop|-
Button|&Cancel|360,12,98,38|visible|enabled|tabstop|-
Static|Proxy Client is ENABLED|12,24,242,26|visible|enabled|-|-
Button|&Close|252,12,98,38|hidden|enabled|tabstop|-" "$@"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
