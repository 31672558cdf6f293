# A private virtual X display. Sourced, not run.

# kiln_start_xvfb LOG: starts Xvfb on a free display number and waits (at most 10 s) until it
# accepts connections; sets KILN_XVFB_PID and KILN_XVFB_DISPLAY (":N"). Otherwise says why on
# stderr, leaves nothing running and returns 1. KILN_XVFB_SCREEN sets the screen (default
# 1280x800x24, the screen of a handheld gaming PC).
kiln_start_xvfb() {
  local log=$1 number pid n=
  number=$(mktemp)
  # Xvfb picks the number itself and writes it to fd 3 once it is ready: no race with
  # another display starting at the same time.
  setsid Xvfb -displayfd 3 -screen 0 "${KILN_XVFB_SCREEN:-1280x800x24}" -nolisten tcp \
    3>"$number" </dev/null >"$log" 2>&1 &
  pid=$!
  for _ in $(seq 200); do
    if grep -qx '[0-9][0-9]*' "$number"; then
      n=$(cat "$number")
      break
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  rm -f "$number"
  if [ -z "$n" ] || ! kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    echo "The virtual display (Xvfb) did not start; its output ($log):" >&2
    tail -5 "$log" | sed 's/^/  /' >&2
    return 1
  fi
  KILN_XVFB_PID=$pid
  KILN_XVFB_DISPLAY=:$n
}
