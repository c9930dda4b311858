#!/usr/bin/env bash
# Builds Verbolt and starts it on a label directory (the demo labels by default).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
labels=${1:-$root/examples/demo}
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target verbolt
cd "$labels"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: running Verbolt in a virtual X server (xvfb-run)." >&2
    exec xvfb-run -a "$root/build/app/verbolt"
fi
exec "$root/build/app/verbolt"
