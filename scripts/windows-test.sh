#!/usr/bin/env bash
# Builds Vodazi for Windows (scripts/windows-build.sh) and tests it under wine:
#   1. every test binary that means something on Windows, through CTest with wine as the
#      emulator, the window tests on Qt's offscreen platform;
#   2. the real vodazi.exe on a virtual X display with Qt's windows platform plugin: the
#      range 3..1000 written to the default report "c:\temp\vodazi.txt", then written again
#      over an old report after answering Yes, each compared byte for byte;
#   3. the installer, silently: installed, the installed program started once, uninstalled
#      without a trace.
# Usage: scripts/windows-test.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

./scripts/windows-build.sh
./scripts/install-deps.sh wine wine64 xvfb openbox xdotool x11-utils imagemagick

build="$root/build-windows"
qt="$(./scripts/windows-qt.sh --check)"
runtime="$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")"
threads="$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")"

# A wine of its own, with one server kept for the whole run: each program then starts in a
# tenth of a second instead of seconds. Its services are started before CTest, or they would
# inherit CTest's output and CTest would wait for them for ever.
export WINEPREFIX="$build/wine" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
# The display comes first: wine's desktop process, started with the prefix, draws every window
# of the session, and without a display it draws them nowhere.
display=":$((90 + RANDOM % 9))"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp &
xvfb=$!
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.2; done
openbox >/dev/null 2>&1 &
wineserver -k 2>/dev/null || true  # one left by an earlier run that was stopped
wineboot --init >/dev/null 2>&1 </dev/null
wineserver -w
wineserver -p
wine cmd /c exit >/dev/null 2>&1 </dev/null
export WINEPATH="$(winepath -w "$qt/bin");$(winepath -w "$runtime");$(winepath -w "$threads")"

echo "== Windows tests under wine"
(cd "$build" && ctest --output-on-failure --timeout 900 -j "$(nproc)")

echo "== vodazi.exe under wine"

# The primes of 3..1000 in the report's form, by trial division.
expected="$build/expected-3-1000.txt"
awk 'BEGIN {
  printf "Beginn: 3\r\nEnde  : 1000\r\n\r\n"
  for (n = 3; n <= 1000; n++) {
    prime = 1
    for (d = 2; d * d <= n; d++) if (n % d == 0) { prime = 0; break }
    if (prime) printf "%d\r\n", n
  }
  printf "--- ENDE ---\r\n"
}' > "$expected"

# Starts the program, waits for its window and gives it the keys.
window=""
program=""
start_program() {
  wine "$1" >/dev/null 2>&1 &
  program=$!
  # A fresh wine sets itself up at its first window, which takes a minute on a busy machine.
  window="$(timeout 300 xdotool search --sync --onlyvisible --name '^Calculate Vodazi$' | head -1)"
  xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
  sleep 1
}
# The focus starts on the button; Tab passes Start, Stop and the check box, whose tick shows
# the file name box; Tab once more is the button again.
write_report_with_defaults() {
  xdotool key --delay 150 Tab Tab Tab space Tab space
}
# Closes the window as a user does and waits for the program to end (the wine server itself is
# kept for the whole run, so waiting for it would never end).
close_program() {
  xdotool key alt+F4
  timeout 60 tail --pid="$program" -f /dev/null || {
    echo "windows test: the program did not end when its window was closed" >&2
    exit 1
  }
}
wait_for_file() {
  for _ in $(seq 100); do
    [ -s "$1" ] && cmp -s "$1" "$expected" && return 0
    sleep 0.2
  done
  return 1
}
compare_report() {
  if ! cmp "$1" "$expected"; then
    echo "windows test: the report of 3..1000 differs from the expected one" >&2
    exit 1
  fi
}

report="$WINEPREFIX/drive_c/temp/vodazi.txt"
rm -rf "$WINEPREFIX/drive_c/temp"
mkdir -p "$WINEPREFIX/drive_c/temp"
start_program "$build/dist/vodazi.exe"
write_report_with_defaults
wait_for_file "$report" || true
compare_report "$report"
echo "report of 3..1000 written, $(stat -c %s "$report") bytes, as expected"
import -window "$window" "$build/windows-main-window.png"

# The same run over an old report: the question, Yes (its key), the new report in place.
printf 'old report\r\n' > "$report"
xdotool key --delay 150 space
sleep 2
xdotool key y
wait_for_file "$report" || true
compare_report "$report"
echo "an old report replaced after Yes, as expected"
if ls -A "$WINEPREFIX/drive_c/temp" | grep -v '^vodazi.txt$'; then
  echo "windows test: something stayed beside the report" >&2
  exit 1
fi
close_program

echo "== installer under wine"
setup="$(ls "$build"/vodazi-setup-*.exe)"
installed="$WINEPREFIX/drive_c/Program Files/Vodazi"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Calculate Vodazi.lnk"
wine "$setup" /S
[ -x "$installed/vodazi.exe" ] && [ -f "$installed/platforms/qwindows.dll" ] && [ -f "$shortcut" ] || {
  echo "windows test: the installer did not install the program and its Start-menu entry" >&2
  exit 1
}
start_program "$installed/vodazi.exe"
echo "the installed program started"
close_program
# The uninstaller runs a copy of itself from the temporary folder and returns at once.
wine "$installed/uninstall.exe" /S
for _ in $(seq 150); do [ -e "$installed" ] || break; sleep 0.2; done
if [ -e "$installed" ] || [ -e "$shortcut" ]; then
  echo "windows test: the uninstaller left files behind" >&2
  find "$installed" "$shortcut" 2>/dev/null >&2 || true
  exit 1
fi
echo "installed, started and uninstalled without a trace"
