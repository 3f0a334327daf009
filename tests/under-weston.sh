#!/usr/bin/env bash
# Runs a command on the Wayland platform under a headless weston of its own, with a session
# and accessibility bus of its own so that screen-reader events flow, and stops all of them
# afterwards. Exits 77 (skipped) where weston cannot start.
# Usage: tests/under-weston.sh COMMAND [ARGUMENT ...]
set -uo pipefail

if ! command -v weston >/dev/null; then
  echo "skipped: weston is not installed"
  exit 77
fi
runtime="$(mktemp -d)"  # private to this user (0700), as Wayland wants
socket=wayland-vodazi-test
weston_pid=
stop() {
  if [ -n "$weston_pid" ]; then
    kill "$weston_pid" 2>/dev/null
    wait "$weston_pid" 2>/dev/null
  fi
  rm -rf "$runtime"
}
trap stop EXIT

XDG_RUNTIME_DIR="$runtime" weston --backend=headless-backend.so --socket="$socket" \
  --idle-time=0 >"$runtime/weston.log" 2>&1 </dev/null &
weston_pid=$!
for _ in $(seq 100); do
  [ -S "$runtime/$socket" ] && break
  kill -0 "$weston_pid" 2>/dev/null || break
  sleep 0.1
done
if [ ! -S "$runtime/$socket" ]; then
  echo "skipped: weston cannot start here ($(tail -n 1 "$runtime/weston.log" 2>/dev/null))"
  exit 77
fi

export XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland
# A headless weston has no seat, and Qt's Wayland text input would then reach for the
# keyboard that is not there on the first key typed; input methods play no part here.
export QT_IM_MODULE=none

launcher=/usr/libexec/at-spi-bus-launcher
if ! command -v dbus-run-session >/dev/null || [ ! -x "$launcher" ]; then
  echo "no accessibility bus: screen-reader events are not checked"
  export DBUS_SESSION_BUS_ADDRESS=disabled:  # nor may Qt start a session bus that outlives us
  "$@"
  exit
fi
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
  exit "$status"' under-weston "$launcher" "$@" 2> >(grep -v "Failed to set fd limit" >&2)
