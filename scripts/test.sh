#!/bin/sh
# Builds everything and runs every test: once in a normal build, once with AddressSanitizer and
# UndefinedBehaviorSanitizer. Fails when any test fails.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen

echo "== build and test =="
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure -j2

echo "== sanitizer build and test =="
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSCHEME_SANITIZE=ON >/dev/null
cmake --build build-asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j2
