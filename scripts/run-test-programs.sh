#!/bin/sh
# Runs every test program of a build (build/tests/*_tests) whole, two at a time, instead of one
# process per test as CTest does: under the sanitizers a program's start-up costs more than most
# of its tests, and paying it once per program instead of once per test halves the pass. A
# failing program's output is printed; the script fails when any program fails.
#
#   scripts/run-test-programs.sh BUILD_DIR
set -eu
build="$1"
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
cd "$build/tests"
# The longest programs first, so that the two lanes end together.
ls -S ./*_tests | while read -r program; do
  [ -x "$program" ] && echo "$program"
done | xargs -P2 -I{} sh -c '
  name=$(basename "$1")
  if "$1" --gtest_brief=1 >"$2/$name.log" 2>&1; then
    echo "$name: $(grep -E "^\[  PASSED  \]" "$2/$name.log")"
  else
    cat "$2/$name.log"
    echo "$name FAILED" >&2
    exit 255
  fi' sh {} "$logs"
