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

# Debian's own checks of the package and of its software-centre description: any error or
# warning fails (the few tags that cannot be mended are overridden in the package, each
# with its reason).
for file in ./usr/share/doc/vodazi/copyright ./usr/share/doc/vodazi/changelog.Debian.gz \
    ./usr/share/man/man1/vodazi.1.gz ./usr/share/metainfo/invalid.vodazi.vodazi.metainfo.xml; do
  if ! grep -q " $file\$" <<<"$contents"; then echo "missing from the package: $file"; fail=1; fi
done
if ! command -v lintian >/dev/null || ! command -v appstreamcli >/dev/null; then
  echo "lintian and appstreamcli are needed: scripts/install-deps.sh lintian appstream"
  exit 1
fi
lintian --fail-on error,warning --display-info "$deb" 2> >(grep -v "root privileges" >&2) || fail=1
dpkg-deb -x "$deb" "$out/root"
appstreamcli validate --no-net --explain "$out"/root/usr/share/metainfo/*.metainfo.xml || fail=1
exit "$fail"
