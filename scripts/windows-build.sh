#!/usr/bin/env bash
# Builds Vodazi for Windows: Qt for Windows first where this machine has none yet
# (scripts/windows-qt.sh, once per machine), then the program and its tests with MinGW-w64
# into build-windows/, the program's folder as installed into build-windows/dist/ and the
# installer build-windows/vodazi-setup-<version>.exe.
# Usage: scripts/windows-build.sh
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh g++-mingw-w64-x86-64-posix qt6-base-dev qt6-base-dev-tools \
  googletest nsis cmake ninja-build
qt="$(./scripts/windows-qt.sh | tail -1)"

build="$PWD/build-windows"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/packaging/windows/mingw-w64-x86_64.cmake" \
  -DCMAKE_PREFIX_PATH="$qt" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_CROSSCOMPILING_EMULATOR=wine >/dev/null
cmake --build "$build"
rm -rf "$build/dist"
cmake --install "$build" --prefix "$build/dist" --strip >/dev/null
# The libraries as they come carry their symbols, three quarters of their size.
x86_64-w64-mingw32-strip --strip-unneeded "$build"/dist/*.dll "$build"/dist/*/*.dll

version="$(sed -n 's/^project(Vodazi VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
makensis -V2 -DVERSION="$version" -DDIST="$build/dist" \
  -DOUTFILE="$build/vodazi-setup-$version.exe" packaging/windows/vodazi.nsi
echo "built $build/dist/vodazi.exe and $build/vodazi-setup-$version.exe"
