# Sourced by the tests that need X: an Xvfb of their own on a display number that the
# server picks itself (-displayfd), stopped by stop_xvfb in the caller's EXIT trap.
start_xvfb() {
  local fifo n=
  fifo=$(mktemp -u) && mkfifo -m 600 "$fifo" || return 1
  Xvfb -displayfd 3 -screen 0 800x600x24 -noreset -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 30 n <"$fifo"
  rm -f "$fifo"
  [ -n "$n" ] && export DISPLAY=:$n || { echo "FAIL: Xvfb did not start" && return 1; }
}
stop_xvfb() { [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null; xvfb_pid=; }

wait_for_window() { # prints the id of the window "Tavrel 2.0" once mapped, while $1 runs (10 s)
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name '^Tavrel 2\.0$' 2>/dev/null | head -n 1 | grep . && return
    kill -0 "$1" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
