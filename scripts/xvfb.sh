# Sourced by the scripts that need an X display of their own:
#   . scripts/xvfb.sh; start_xvfb FIRST LAST
# starts Xvfb (1280x800, 24 bits) on the first free display number from FIRST
# to LAST, waits until it takes connections, and sets DISPLAY and xvfb_pid.
# Status 1 (and no DISPLAY change) when none could be started.  The caller
# stops it: kill "$xvfb_pid".
start_xvfb() {
  local n
  xvfb_pid=""
  for n in $(seq "$1" "$2"); do
    [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] && continue
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X${n}" ] && break
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$xvfb_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X${n}" ]; then
      export DISPLAY=":$n"
      return 0
    fi
    xvfb_pid=""
    return 1
  done
  return 1
}
