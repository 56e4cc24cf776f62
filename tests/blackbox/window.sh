#!/bin/bash
# The real window by xdotool, Linux and Wine alike: window.sh WINDOWS_DIR|auto PICTURE_DIR COMMAND...
set -u
. "$(dirname "$0")/../support/fixture.sh"
mkdir -p "$2" && artifacts=$2 pid=
[ "$1" = auto ] && export WINDIR=$scratch || export WINDIR=$1
shift 2
cmd=("$@") ini=$WINDIR/win.ini golden=$(dirname "$0")/../window/layout.golden
[ "${LINUX_CHECKS:-}" = 1 ] && views=$(dirname "$0")/../../docs/views/linux || views=/nonexistent
set_dpi() { wine reg "${1:-delete}" 'HKCU\Control Panel\Desktop' /v LogPixels "${@:2}" /f >/dev/null 2>&1; }
cleanup() { [ -n "$pid" ] && kill "$pid"; rmdir "$ini" 2>/dev/null; [ -n "${WINDOW_PROBE:-}" ] && set_dpi; }
start_xvfb || finish

miss() { fail "$case: $*"; }
content() { printf '[Microsoft Proxy Service]\r\nDisable=%s\r\n' "${1/EMPTY/}"; }
holds() { [ "$1" = DIR ] && [ -d "$ini" ] || [ "$(od -An -c "$ini")" = "$(content "$1" | od -An -c)" ]; }

begin() { # stores $1 (DIR: win.ini is a directory), opens the window (with the argument $2)
  case="[$1] '$2' ${3:-}" before=$failed
  rm -df "$ini"
  [ "$1" = DIR ] && mkdir "$ini" || content "$1" >"$ini"
  "${cmd[@]}" ${2:+"$2"} >/dev/null 2>&1 & pid=$!
  win=$(wait_for_window "$pid") || miss "no window appeared"
}

ended() { # waits up to 5 s for the end with status $1, or ("alive") for win.ini to hold $2
  local got=alive
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; got=$? pid=; break; }
    [ "$1" = alive ] && holds "$2" && break
    sleep 0.1
  done
  [ "$got" = "$1" ] || miss "ended with '$got', expected '$1'"
  holds "$2" || miss "win.ini is $(od -An -c "$ini"), expected $2"
}
count() { # ends the case
  [ -n "$pid" ] && kill "$pid" && wait "$pid" 2>/dev/null
  pid= && [ "$failed" = "$before" ] && passed=$((passed + 1))
}

press() { # keys (hold:KEY for 1.5 s), click:X,Y, CLOSE; after the end they would go elsewhere
  for key in "$@"; do
    kill -0 "$pid" 2>/dev/null || return
    case $key in
      CLOSE) "$WM_CLOSE" "$win" ;;
      click:*) xy=${key#click:} && xdotool mousemove --window "$win" "${xy%,*}" "${xy#*,}" click 1 ;;
      hold:*) timeout 5 xdotool windowfocus --sync "$win" keydown "${key#*:}"; sleep 1.5; xdotool keyup "${key#*:}" ;;
      *) timeout 5 xdotool windowfocus --sync "$win" key "$key" ;;
    esac
  done
}

alike() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }
shoot() { # keeps picture $1 once the window is drawn (two alike), on Linux as in docs/views
  local file=$artifacts/$1.png
  rm -f "$scratch/last.png"
  for _ in $(seq 25); do
    kill -0 "$pid" 2>/dev/null && timeout 5 import -window "$win" "$file" 2>/dev/null && alike "$file" "$scratch/last.png" && break
    cp "$file" "$scratch/last.png" 2>/dev/null && sleep 0.2
  done
  alike "$file" "$scratch/last.png" || miss "no picture $1"
  [ ! -e "$views/$1.png" ] || alike "$file" "$views/$1.png" || miss "picture $1 is not as in docs/views"
}

# Cases: stored | argument | keys | end | stored after | pictures before, after, and one the last is like
cases() { # rows from "L" on are for Linux
  while IFS='|' read -r before arg keys end after shots; do
    [ "$before" = L ] && { [ "${LINUX_CHECKS:-}" = 1 ] || return; } && continue
    IFS=, read -r shot_before shot_after like <<<"$shots" && begin "$before" "$arg" "$keys"
    [ -n "$shot_before" ] && shoot "$shot_before"
    press $keys
    ended "$end" "$after"
    [ -n "$shot_after" ] && shoot "$shot_after"
    shot=${shot_after:-$shot_before}
    [ -z "$like" ] || alike "$artifacts/$shot.png" "$artifacts/$like.png" || miss "$shot is not $like"
    count
  done
}
# LAYOUT_ONLY=1: only the window's size, places and label text (a prefix of other fonts).
[ "${LAYOUT_ONLY:-}" = 1 ] || cases <<'CASES'
1||alt+e|alive|0|status-disabled,switched-on
0||alt+d|alive|1|status-enabled,switched-off
0||hold:space|alive|1|,held-space,switched-off
0||hold:Return|alive|1|,held-return,switched-off
EMPTY||Escape|0|EMPTY|initial
DIR||Escape|0|DIR|unread-file,,initial
0||CLOSE|0|0|
1|/?|Return|0|1|help
L
0||click:167,20 click:233,20 click:200,7 click:200,33 click:239,20 click:305,20 click:304,32|0|0|
0||click:168,8|alive|1|
CASES

# At $1 dpi as layout.golden has it; the label's text left, in a font of that size, not bold
layout() {
  local dpi=$1 w h lx ly lw lh fw fh tw th tx block
  block=$(awk -v d="$dpi" '$2 == "dpi:" { p = $1 == d; if (p) print substr($3, 1, length($3) - 1); next } p' "$golden")
  IFS=x read -r w h <<<"${block%%$'\n'*}" && IFS=' ,x' read -r _ lx ly lw lh < <(grep label <<<"$block")
  begin 0 "" "at $dpi dpi"
  if [ -n "${WINDOW_PROBE:-}" ]; then
    [ "$(wine "$WINDOW_PROBE" | tr -d "\r")" = "$block" ] || miss "not as layout.golden"
  else
    [ "$(xwininfo -id "$win" | awk '/Width:/ { w = $2 } /Height:/ { print w "x" $2 }')" = "${w}x$h" ] &&
      [ "$(xprop -id "$win" WM_NORMAL_HINTS | grep -c "m.*imum size: $w by $h")" = 2 ] &&
      xprop -id "$win" _MOTIF_WM_HINTS | grep -q '= 0x3, 0x24, 0x1a' &&
      xprop -id "$win" _NET_WM_ICON | grep -q 'Icon (32 x 32)' || miss "size, frame or icon"
  fi
  shoot "window-$dpi-dpi"
  read -r fw fh < <(identify -format '%w %h' "$artifacts/window-$dpi-dpi.png" | # the frame Wine draws
    awk -v w="$w" -v h="$h" '{ b = int(($1 - w) / 2); print b, $2 - h - b }')
  label_text() { # in picture $1: one line, left, whole, in a font of the dpi's size, $2 to $3 px wide
    local crop=$((lw - dpi / 32)) tw th tx
    read -r tw th tx < <(convert "$artifacts/$1.png" -crop "${crop}x$lh+$((lx + fw))+$((ly + fh))" \
      +repage -fuzz 20% -trim -format '%w %h %X' info:)
    [ "${tx#+}" -le $((dpi / 32)) ] && [ "$tw" -ge "$2" ] && [ "$tw" -le "$3" ] && [ $((tx + tw)) -lt "$crop" ] &&
      [ "$th" -ge $((dpi / 12)) ] && [ "$th" -le $((lh * 3 / 4)) ] || miss "label text of $1: ${tw}x$th at $tx"
  }
  label_text "window-$dpi-dpi" "$dpi" $((lw * 9 / 10))
  # The longest text, after a switch, keeps to the label's line and shows its end.
  press alt+d && ended alive 1 && shoot "window-$dpi-dpi-switched"
  label_text "window-$dpi-dpi-switched" $((lw * 3 / 4)) "$lw"
  count
}

if [ "${LINUX_CHECKS:-0}" = 1 ]; then
  for dpi in 96 192; do TAVREL_DPI=$dpi layout "$dpi"; done
  case="no display" before=$failed out=$(env -u DISPLAY "${cmd[@]}" 2>&1)
  [ "$? $(wc -l <<<"$out")" = "2 1" ] || miss "printed: $out"
  count
fi
[ -n "${WINDOW_PROBE:-}" ] && for dpi in 96 144; do set_dpi add /t REG_DWORD /d "$dpi" && layout "$dpi"; done
finish
