#!/usr/bin/env bash
# Runs a command on an X display of its own (Xvfb) with a session bus and an accessibility
# bus of its own, where the command may start the Orca screen reader; stops all of them
# afterwards. Home and runtime folders are temporary, so Orca's settings and logs stay there.
# Exits 77 (skipped), saying why in one line, where Orca or the display cannot start.
# Usage: tests/under-orca.sh COMMAND [ARGUMENT ...]
set -uo pipefail

launcher=/usr/libexec/at-spi-bus-launcher
for tool in Xvfb xdpyinfo orca dbus-run-session; do
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

# Xvfb picks a free display and writes its number once it accepts clients. A client then
# connects once before the command does: a display that took its number but cannot be reached
# (its socket taken over or its server gone) is started afresh, up to three times.
start_display() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$home/display" \
    >"$home/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$home/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -s "$home/display" ] && DISPLAY=":$(head -n 1 "$home/display")" xdpyinfo >/dev/null 2>&1
}
numbered=
for attempt in 1 2 3; do
  start_display && break
  [ -s "$home/display" ] && numbered=yes
  echo "the display $(head -n 1 "$home/display" 2>/dev/null) could not be reached" \
    "(attempt $attempt): $(tail -n 1 "$home/xvfb.log" 2>/dev/null)" >&2
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=
  : >"$home/display"
done
if [ -z "$xvfb_pid" ] && [ -n "$numbered" ]; then
  echo "Xvfb gave a display three times, and none could be reached" >&2
  exit 1
fi
if [ -z "$xvfb_pid" ]; then
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
status=$?
# Where the display is lost while the command runs, Qt says no more than that it could not
# connect; Xvfb's last lines say why.
if [ "$status" -ne 0 ] && ! kill -0 "$xvfb_pid" 2>/dev/null; then
  echo "Xvfb on $DISPLAY ended while the command ran: $(tail -n 3 "$home/xvfb.log")" >&2
fi
exit "$status"
