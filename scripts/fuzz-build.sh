#!/bin/sh
# Configures and builds the libFuzzer targets (clang, AddressSanitizer, UBSan) in build-fuzz/.
set -eu
cd "$(dirname "$0")/.."
# -O1 with line tables only: quick to build, fast enough to fuzz, and stacks name their lines.
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Fuzz -DCMAKE_CXX_FLAGS_FUZZ="-O1 -gline-tables-only" \
  -DCMAKE_CXX_COMPILER=clang++-14 -DSCHEME_FUZZ=ON >/dev/null
cmake --build build-fuzz "$@"
