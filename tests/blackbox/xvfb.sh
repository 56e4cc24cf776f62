# Sourced by the window tests: an X server of the test's own, on the first free
# display number, stopped when the test ends (the caller's EXIT trap calls stop_xvfb).
start_xvfb() {
  local n
  for n in $(seq 90 199); do [ -e /tmp/.X$n-lock ] || break; done
  Xvfb :$n -screen 0 800x600x24 -noreset -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=:$n
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "FAIL: Xvfb did not start on :$n"
  return 1
}

stop_xvfb() {
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
  xvfb_pid=
}

# Waits for the window titled "Tavrel 2.0" of process $1 to be mapped; prints its id.
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
