#!/bin/sh
# Checks that every tracked C++ source and header is formatted as the repo's .clang-format says
# (clang-format 14). Changes nothing; lists the files that would change and fails if there are
# any. To fix them: clang-format-14 -i $(git ls-files '*.cpp' '*.h')
set -eu
cd "$(dirname "$0")/.."

# Formatting differs between clang-format releases, so only 14 is accepted.
FORMAT=""
for candidate in clang-format-14 clang-format; do
  if command -v "$candidate" >/dev/null 2>&1 &&
      "$candidate" --version | grep -q "version 14\."; then
    FORMAT="$candidate"
    break
  fi
done
if [ -z "$FORMAT" ]; then
  echo "check-format: clang-format 14 not found (Debian package clang-format-14)" >&2
  exit 2
fi

# The files to check are the tracked ones, so this needs the git checkout itself.
if [ "$(git rev-parse --show-toplevel 2>/dev/null)" != "$(pwd -P)" ]; then
  echo "check-format: $(pwd) is not the top of a git checkout" >&2
  exit 2
fi

drifting=$(mktemp)
trap 'rm -f "$drifting"' EXIT
git ls-files '*.cpp' '*.h' | while IFS= read -r file; do
  [ -f "$file" ] || continue
  if ! "$FORMAT" --style=file --dry-run --Werror "$file" >/dev/null 2>&1; then
    echo "$file" >>"$drifting"
  fi
done
count=$(wc -l <"$drifting")
if [ "$count" -ne 0 ]; then
  echo "check-format: $count file(s) not formatted as .clang-format says:" >&2
  sed 's/^/  /' "$drifting" >&2
  echo "fix with: $FORMAT -i <file>..." >&2
  exit 1
fi
echo "check-format: $(git ls-files '*.cpp' '*.h' | wc -l) files formatted"
