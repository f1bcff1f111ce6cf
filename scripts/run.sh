#!/bin/sh
# The main job: builds the project and renders the example diagram to a PNG.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target shapes_example >/dev/null
./build/examples/shapes_example "${1:-build/shapes.png}"
