#!/bin/sh
# The long fuzzing campaign. Builds the fuzz targets, then runs each for 30 minutes or ten
# million inputs, whichever ends first. The working corpus lives in build-fuzz/corpus/<target>,
# seeded from fuzz/corpus; failing inputs land in build-fuzz/findings/<target>. Inputs worth
# keeping go to fuzz/regressions/<target>/ by hand, with the fix.
#
#   scripts/fuzz.sh [TARGET...]     (default: document record picture convert)
#   FUZZ_SECONDS=600 FUZZ_RUNS=1000000 scripts/fuzz.sh record
set -eu
cd "$(dirname "$0")/.."
./scripts/fuzz-build.sh
SECONDS_PER_TARGET=${FUZZ_SECONDS:-1800}
RUNS=${FUZZ_RUNS:-10000000}
TARGETS=${*:-document record picture convert}
for target in $TARGETS; do
  mkdir -p "build-fuzz/corpus/$target" "build-fuzz/findings/$target"
  echo "== fuzz $target: ${SECONDS_PER_TARGET}s or $RUNS runs =="
  QT_QPA_PLATFORM=offscreen "build-fuzz/fuzz/fuzz_$target" \
    -max_total_time="$SECONDS_PER_TARGET" -runs="$RUNS" -timeout=10 -rss_limit_mb=2048 \
    -dict=fuzz/scheme.dict -print_final_stats=1 \
    -artifact_prefix="build-fuzz/findings/$target/" \
    "build-fuzz/corpus/$target" "fuzz/corpus/$target" $(ls -d "fuzz/regressions/$target" 2>/dev/null)
done
