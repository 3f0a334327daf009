#!/usr/bin/env bash
# Installs what is missing, then runs every gate: static checks, a fuzzing smoke run, the
# whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer, and the whole test
# suite cross-built for Windows and run under wine with the installer, and the whole test
# suite in the normal build (its summary closes the output).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="$(nproc)"

./scripts/install-deps.sh cppcheck clang libclang-rt-14-dev
# The window tests run once more under a headless Wayland compositor with a screen readers'
# bus, Orca listens to the windows on a virtual X display, the locale tests build a Latin-1
# locale from Debian's definitions, and the Debian package goes through lintian and appstreamcli.
./scripts/install-deps.sh weston qt6-wayland at-spi2-core dbus-daemon orca python3-pyatspi xvfb \
  locales lintian appstream x11-utils

echo "== static checks"
./scripts/static-checks.sh

echo "== fuzzing the bound texts (${VODAZI_FUZZ_SECONDS:-60}s)"
./scripts/fuzz.sh "${VODAZI_FUZZ_SECONDS:-60}"

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVODAZI_SANITIZE=ON >/dev/null
cmake --build build-sanitize
(cd build-sanitize && ctest --output-on-failure --timeout 900 -j "$jobs")

echo "== Windows: cross-built with MinGW-w64, tested under wine"
./scripts/windows-test.sh

echo "== tests"
unset ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
cd build
ctest --output-on-failure --timeout 600 -j "$jobs"
