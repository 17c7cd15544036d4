# Helpers of the runs under Wine: findings, windows on the X display, keys.
failures=0
fail() { echo "windows: FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "windows: ok: $*"; }
summary() {
  if [ "$failures" -ne 0 ]; then
    echo "windows: $failures check(s) failed"
    exit 1
  fi
  echo "windows: all checks passed"
}

# The id of a shown window whose caption matches the pattern, waiting up to
# SECONDS for it; status 1 when none appears.
wait_window() {
  local id
  for _ in $(seq 1 $(($2 * 10))); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Waits up to SECONDS until no shown window's caption matches the pattern;
# status 1 when one still does.
wait_no_window() {
  for _ in $(seq 1 $(($2 * 10))); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1
}

# Waits up to SECONDS for a line of FILE to match the extended regex.
wait_line() {
  for _ in $(seq 1 $(($3 * 10))); do
    grep -qE "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# A scratch folder $work, removed at exit with the processes in pids and
# the Wine server.
begin_work() {
  work=$(mktemp -d)
  pids=()
  trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
}

# Waits up to SECONDS for a process to end.
wait_gone() {
  for _ in $(seq 1 $(($2 * 10))); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.1
  done
  ! kill -0 "$1" 2>/dev/null
}

# A key to a window, through the keyboard (XTEST) once it has the focus.
press() {
  xdotool windowfocus --sync "$1" key "$2" 2>/dev/null || xdotool key --window "$1" "$2"
}

# A picture of one window.
shot() {
  import -window "$1" "$2" 2>/dev/null || fail "no screenshot $2"
}

# The Windows user name in the prefix (the folder under drive_c/users).
# The first cmd of a Wine just started has been seen to print nothing, so
# it is asked until it answers, for up to twenty seconds; status 1 when it
# never does.
wine_user() {
  local name
  for _ in $(seq 1 100); do
    name=$(env LC_ALL=ja_JP.UTF-8 wine cmd /c echo %USERNAME% 2>/dev/null | tr -d '\r')
    [ -n "$name" ] && [ "$name" != "%USERNAME%" ] && { echo "$name"; return 0; }
    sleep 0.2
  done
  return 1
}

# The number of uninstall entries of the program, the NSIS installer's and
# the MSI's alike, read from one export of the system's uninstall list.
uninstall_entries() {
  local out
  out=$(mktemp)
  env LC_ALL=ja_JP.UTF-8 wine reg export 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' \
    "$(winepath -w "$out" 2>/dev/null)" /y >/dev/null 2>&1
  iconv -f UTF-16 -t UTF-8 "$out" 2>/dev/null | tr -d '\r' | grep -c '^"DisplayName"="ｳﾞｪﾙﾓﾗ (uPVelmora)'
  rm -f "$out"
}
