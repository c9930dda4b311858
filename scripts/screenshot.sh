#!/usr/bin/env bash
# Redraws docs/main-window.png: the main window on the demo labels, drawn by Verbolt itself
# on Qt's offscreen platform.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DVERBOLT_BUILD_TESTS=ON >/dev/null
cmake --build "$root/build" --target window_grab
mkdir -p "$root/docs"
QT_QPA_PLATFORM=offscreen "$root/build/tests/app/window_grab" "$root/examples/demo" 9 \
    "$root/docs/main-window.png"
echo "wrote docs/main-window.png"
