# Sourced by the window tests: an X server of the test's own on a display number
# that the server picks itself, stopped when the test ends (the caller's EXIT trap
# calls stop_xvfb).
start_xvfb() {
  local fifo n=
  fifo=$(mktemp -u) && mkfifo -m 600 "$fifo" || return 1
  Xvfb -displayfd 3 -screen 0 800x600x24 -noreset -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 30 n <"$fifo"
  rm -f "$fifo"
  [ -n "$n" ] || { echo "FAIL: Xvfb did not start"; return 1; }
  export DISPLAY=:$n
}

stop_xvfb() {
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=
}

# Waits (up to 10 s) for the window titled "Tavrel 2.0" of process $1 to be mapped;
# prints its id.
wait_for_window() {
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name '^Tavrel 2\.0$' 2>/dev/null | head -n 1)
    [ -n "$id" ] && echo "$id" && return 0
    kill -0 "$1" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
