#!/bin/sh
# The main job: builds the editor, tarsel, and starts it on the sample diagram. On a desktop it
# opens the window; on a machine without a display it runs offscreen, writes a screenshot of the
# window after start-up (default build/tarsel.png, or the path given) and prints where.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target tarsel >/dev/null
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${1:-}" ]; then
  exec ./build/demo/tarsel
fi
exec env QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" ./build/demo/tarsel --screenshot "${1:-build/tarsel.png}"
