#!/usr/bin/env bash
# Builds Verbolt with its tests and runs every one of them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VERBOLT_BUILD_DIR:-$root/build}
"$root/scripts/deps.sh"
# Extra arguments go to cmake after these, so they win (-DCMAKE_BUILD_TYPE=Release).
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVERBOLT_BUILD_TESTS=ON \
    -DVERBOLT_WERROR=ON "$@" >/dev/null
cmake --build "$build" -j2
# Window tests run on Qt's offscreen platform: no display needed.
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j2
