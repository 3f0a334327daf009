#!/usr/bin/env bash
# Builds the Debian package from a configured build folder and checks what it holds and
# what it depends on. Usage: scripts/check-package.sh BUILD_FOLDER
set -euo pipefail
build="$(cd "$1" && pwd)"
out="$build/package"
rm -rf "$out"
(cd "$build" && cpack -G DEB -B "$out" >/dev/null 2>&1)
deb="$(ls "$out"/vodazi_*.deb)"
contents="$(dpkg-deb -c "$deb")"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "package: $(basename "$deb")"
echo "depends: $depends"

fail=0
for file in ./usr/bin/vodazi ./usr/share/applications/vodazi.desktop \
    ./usr/share/icons/hicolor/scalable/apps/vodazi.svg; do
  if ! grep -q " $file\$" <<<"$contents"; then echo "missing from the package: $file"; fail=1; fi
done
for dependency in libqt6widgets6 libqt6gui6 libqt6core6 libc6 libstdc++6; do
  if ! tr ',' '\n' <<<"$depends" | awk '{print $1}' | grep -qxF "$dependency"; then echo "missing dependency: $dependency"; fail=1; fi
done
if tr ',' '\n' <<<"$depends" | grep -qi primesieve; then echo "the primes are our own: no prime library in Depends"; fail=1; fi
if command -v desktop-file-validate >/dev/null; then
  dpkg-deb -x "$deb" "$out/root"
  desktop-file-validate "$out/root/usr/share/applications/vodazi.desktop" || fail=1
fi
exit "$fail"
