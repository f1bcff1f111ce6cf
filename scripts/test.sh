#!/bin/sh
# Checks the formatting, then builds everything and runs every test: once in a Release build,
# what users build (whose install is then used by a small outside project), once with
# AddressSanitizer and UndefinedBehaviorSanitizer, both with warnings as errors; then builds the
# libFuzzer targets (clang) and gives each a short, bounded run from the seed corpus. Fails when
# any check or test fails or any fuzz target finds a fault.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
# Each step is announced with the seconds spent so far, so that a slow step shows in the log.
started=$(date +%s)
step() { echo "== $1 ($(($(date +%s) - started)) s) =="; }

step "formatting"
./scripts/check-format.sh

step "build and test"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DSCHEME_WERROR=ON >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure -j2

step "installed package and editor"
./scripts/check-package.sh build

step "sanitizer build and test"
# The benchmarks are compiled once, in the normal build; they run no tests. Line tables are all
# the debug information a sanitizer's report needs, and cheaper to build than full -g.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
  -DSCHEME_SANITIZE=ON -DSCHEME_WERROR=ON \
  -DSCHEME_BUILD_BENCHMARKS=OFF -DSCHEME_BUILD_EXAMPLES=OFF >/dev/null
cmake --build build-asan
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
# The test programs run whole (scripts/run-test-programs.sh says why); CTest runs the rest.
ctest --test-dir build-asan --output-on-failure -j2 -LE gtest
./scripts/run-test-programs.sh build-asan
unset ASAN_OPTIONS UBSAN_OPTIONS

step "fuzz targets: a short run each"
./scripts/fuzz-build.sh
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for target in document record picture convert; do
  # A fixed number of runs keeps the pass bounded. New inputs go to the scratch corpus (the first
  # folder), never into the seed folders; a failing input is kept in build-fuzz/findings/ci.
  mkdir -p "$scratch/$target" build-fuzz/findings/ci
  # Whole documents run about a hundred inputs a second; the other targets thousands.
  runs="${FUZZ_CI_RUNS:-10000}"
  if [ "$target" = document ]; then runs="${FUZZ_CI_DOCUMENT_RUNS:-3000}"; fi
  if ! "build-fuzz/fuzz/fuzz_$target" -runs="$runs" -timeout=10 \
      -rss_limit_mb=2048 -dict=fuzz/scheme.dict -artifact_prefix="build-fuzz/findings/ci/$target-" \
      -print_final_stats=1 "$scratch/$target" "fuzz/corpus/$target" \
      $(ls -d "fuzz/regressions/$target" 2>/dev/null) >"$scratch/$target.log" 2>&1; then
    cat "$scratch/$target.log"
    echo "fuzz target $target failed" >&2
    exit 1
  fi
  grep -E "^(#[0-9]+.*DONE|stat::number_of_executed_units)" "$scratch/$target.log" || true
done
step "done"
