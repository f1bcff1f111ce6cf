#!/bin/sh
# The main job: builds the project and renders the sample diagram to a PNG with scheme-tool,
# printing where it wrote it.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target scheme-tool >/dev/null
OUT="${1:-build/DEMO_EXAMPLES.png}"
./build/tools/scheme-tool/scheme-tool check demo/DEMO_EXAMPLES.TXT
./build/tools/scheme-tool/scheme-tool render demo/DEMO_EXAMPLES.TXT "$OUT"
echo "Wrote $(cd "$(dirname "$OUT")" && pwd)/$(basename "$OUT")"
