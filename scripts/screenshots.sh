#!/usr/bin/env bash
# Renders the windows to docs/*.png (off screen, the real widgets), at 100 % and 200 %.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DVODAZI_BUILD_PICTURES=ON >/dev/null
cmake --build build --target vodazi_pictures
mkdir -p docs
QT_QPA_PLATFORM=offscreen ./build/scripts/pictures/vodazi_pictures docs
QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=2 ./build/scripts/pictures/vodazi_pictures docs -200
