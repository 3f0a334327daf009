#!/usr/bin/env bash
# Runs a command on an X display of its own (Xvfb) with a session bus and an accessibility
# bus of its own, where the command may start the Orca screen reader; stops all of them
# afterwards. Home and runtime folders are temporary, so Orca's settings and logs stay there.
# Exits 77 (skipped), saying why in one line, where Orca or the display cannot start.
# Usage: tests/under-orca.sh COMMAND [ARGUMENT ...]
set -uo pipefail

launcher=/usr/libexec/at-spi-bus-launcher
for tool in Xvfb orca dbus-run-session; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed, so Orca cannot be heard here"
    exit 77
  fi
done
if [ ! -x "$launcher" ]; then
  echo "skipped: at-spi2-core is not installed, so Orca cannot be heard here"
  exit 77
fi

home="$(mktemp -d)"  # private to this user (0700), as the runtime folder must be
xvfb_pid=
stop() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$home"
}
trap stop EXIT

# Xvfb picks a free display and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$home/display" >"$home/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$home/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
if [ ! -s "$home/display" ]; then
  echo "skipped: Xvfb cannot start here ($(tail -n 1 "$home/xvfb.log" 2>/dev/null))"
  exit 77
fi

export DISPLAY=":$(head -n 1 "$home/display")" QT_QPA_PLATFORM=xcb
export HOME="$home" XDG_RUNTIME_DIR="$home" XDG_CONFIG_HOME="$home/config" \
  XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache"
unset WAYLAND_DISPLAY
# The program's accessibility is on from its start, as on a desktop where a screen reader runs.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# dbus-run-session complains about its file limit when run as root; nothing else it says.
dbus-run-session -- bash -c '
  "$1" --launch-immediately >/dev/null 2>&1 </dev/null &
  launcher=$!
  shift
  "$@"
  status=$?
  kill "$launcher"
  wait "$launcher"
  exit "$status"' under-orca "$launcher" "$@" 2> >(grep -v "Failed to set fd limit" >&2)
