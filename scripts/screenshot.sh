#!/usr/bin/env bash
# Redraws the README's pictures: the main window on the demo labels, at its first size and
# grown to show the marks, drawn by Verbolt itself on Qt's offscreen platform.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DVERBOLT_BUILD_TESTS=ON >/dev/null
cmake --build "$root/build" --target window_grab
mkdir -p "$root/docs"
# A copy in a folder of a plain name: the window shows the folder's path.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$root/examples/demo" "$work/clairvue-labels"
QT_QPA_PLATFORM=offscreen "$root/build/tests/app/window_grab" "$work/clairvue-labels" 9 \
    "$root/docs/main-window.png"
QT_QPA_PLATFORM=offscreen "$root/build/tests/app/window_grab" "$work/clairvue-labels" 66 \
    "$root/docs/marked-table.png" 1180 760
echo "wrote docs/main-window.png and docs/marked-table.png"
