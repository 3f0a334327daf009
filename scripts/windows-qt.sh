#!/usr/bin/env bash
# Builds Qt for Windows (qtbase 6.4.2, the version Debian 12 ships) from Debian's own source
# package with Debian's MinGW-w64, once per machine, into a cache outside the work tree.
# The cache's name carries a hash of the recipe below (from "features=" on), the patch and the
# toolchain file, so a change to any of them builds Qt anew. Prints the cache's path on its last line.
# Usage: scripts/windows-qt.sh [--check]   (--check: only say whether the cache is there)
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

toolchain="$root/packaging/windows/mingw-w64-x86_64.cmake"
patch_file="$root/packaging/windows/qtbase-directwrite-without-direct2d.patch"
key="$( (sed -n '/^features=/,$p' "$0"; cat "$toolchain" "$patch_file") | sha256sum | cut -c1-12)"
cache="${VODAZI_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vodazi}"
prefix="$cache/qt-6.4.2-mingw-$key"

if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi
if [ "${1:-}" = "--check" ]; then
  exit 1
fi

./scripts/install-deps.sh g++-mingw-w64-x86-64-posix qt6-base-dev-tools dpkg-dev xz-utils

work="$cache/qt-build-$key"
rm -rf "$work"
mkdir -p "$work/lists/partial"
cd "$work"

# Debian's source package, from the same archive the machine's binary packages come from,
# without touching the machine's own package lists.
echo "deb-src http://deb.debian.org/debian bookworm main" > sources.list
apt_source=(-o Dir::Etc::sourcelist="$work/sources.list" -o Dir::Etc::sourceparts=-
            -o Dir::State::Lists="$work/lists" -o APT::Sandbox::User=root)
if ! apt-get "${apt_source[@]}" update -qq ||
   ! apt-get "${apt_source[@]}" source --download-only qt6-base=6.4.2+dfsg-10 >/dev/null; then
  echo "windows-qt: Debian's qt6-base source cannot be fetched from this machine" >&2
  exit 75
fi
dpkg-source -x qt6-base_6.4.2+dfsg-10.dsc qtbase >/dev/null
patch -d qtbase -p1 < "$patch_file"

# Widgets and what they need, nothing else (OpenGL stays: the windows platform plugin uses it
# unguarded); the bundled third-party libraries, since the
# MinGW root has none of them.
features=(sql network dbus vulkan printsupport xml concurrent zstd icu jpeg
          tabletevent direct2d
          system_zlib system_pcre2 system_harfbuzz system_freetype system_png
          system_doubleconversion)
options=()
for feature in "${features[@]}"; do
  options+=("-DFEATURE_$feature=OFF")
done

cmake -S qtbase -B build -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
  "${options[@]}" > configure.log
cmake --build build --parallel "$(nproc)"
cmake --install build > install.log

cd "$root"
rm -rf "$work"
touch "$prefix/.complete"
echo "$prefix"
