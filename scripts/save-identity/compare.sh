#!/bin/sh
# compare.sh OLD_TOOL NEW_TOOL FILES...: each file saved by both (--lossy); bytes, messages and
# exit codes must agree.
OLD=$1; NEW=$2; shift 2
export QT_QPA_PLATFORM=offscreen
fail=0; n=0; mkdir -p /tmp/io
for f in "$@"; do
  n=$((n+1)); rm -f /tmp/io/out.txt /tmp/io/old.txt
  "$OLD" save --lossy "$f" /tmp/io/out.txt >/tmp/io/old.log 2>&1; a=$?
  [ -f /tmp/io/out.txt ] && mv /tmp/io/out.txt /tmp/io/old.txt
  "$NEW" save --lossy "$f" /tmp/io/out.txt >/tmp/io/new.log 2>&1; b=$?
  if [ $a != $b ] || ! cmp -s /tmp/io/old.log /tmp/io/new.log; then echo "DIFF messages: $f"; fail=1; continue; fi
  if [ -f /tmp/io/old.txt ] && ! cmp -s /tmp/io/old.txt /tmp/io/out.txt; then echo "DIFF bytes: $f"; fail=1; fi
done
echo "$n documents compared, fail=$fail"
