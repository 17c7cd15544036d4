#!/usr/bin/env bash
# Runs a test program on the tests' X display with an accessibility bus
# listening, as on a desktop with a screen reader: a session bus of its own,
# the AT-SPI bus started on it, Qt's bridge switched on.  Exits 77 (skipped)
# without an X display or the bus programs.
set -u
[ -n "${VELMORA_X_DISPLAY:-}" ] || { echo "no X display (scripts/test starts Xvfb)"; exit 77; }
command -v dbus-run-session >/dev/null && command -v dbus-send >/dev/null || { echo "no dbus-run-session"; exit 77; }
export DISPLAY="$VELMORA_X_DISPLAY" QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 VELMORA_A11Y_BUS=1
exec dbus-run-session -- sh -c '
  dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1
  exec "$@"' sh "$@"
