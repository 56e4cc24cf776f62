# Sourced by every black-box test script: a scratch directory, pass/fail counting and an
# X server of the script's own.
#   scratch   a new directory (mode 755, so that other users can reach what is put there),
#             removed at exit together with whatever cleanup() undoes
#   check DESCRIPTION COMMAND...   counts one case: passed when COMMAND succeeds
#   fail MESSAGE                   counts one failed case
#   finish                         prints "N passed, N failed"; fails without a pass
#   start_xvfb / wait_for_window PID
passed=0 failed=0 xvfb_pid=
scratch=$(mktemp -d) && chmod 755 "$scratch" || exit 1
cleanup() { :; }
trap 'cleanup; stop_xvfb; rm -rf "$scratch"' EXIT

check() {
  local what=$1 && shift
  if "$@"; then passed=$((passed + 1)); else fail "$what"; fi
}
fail() { echo "FAIL: $*" && failed=$((failed + 1)); }
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" = 0 ] && [ "$passed" -gt 0 ]
  exit
}

# An Xvfb on a display number that the server picks itself (-displayfd).
start_xvfb() {
  local fifo=$scratch/displayfd n=
  mkfifo -m 600 "$fifo" || return 1
  Xvfb -displayfd 3 -screen 0 800x600x24 -noreset -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 30 n <"$fifo"
  rm -f "$fifo"
  [ -n "$n" ] && export DISPLAY=:$n || { fail "Xvfb did not start" && return 1; }
}
stop_xvfb() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null; xvfb_pid=; }

# Prints the id of the window "Tavrel 2.0" once mapped, while PID runs (10 s at most).
wait_for_window() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name '^Tavrel 2\.0$' 2>/dev/null | head -n 1 | grep . && return
    kill -0 "$1" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
