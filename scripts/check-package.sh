#!/bin/sh
# Installs a finished build of the library into a temporary prefix, then configures, builds and
# runs tests/package/ against it: a project that finds the library with find_package(Scheme)
# alone (Qt coming in through the package's own dependencies), compiles every installed header,
# runs a program that paints and saves a document and builds a Designer form with a view, and
# the README's example program; checks the installed Designer plugin, when the build has one,
# and the installed editor (scripts/check-install.sh).
#
#   scripts/check-package.sh [BUILD_DIR]     (default: build)
set -eu
cd "$(dirname "$0")/.."
build="${1:-build}"
export QT_QPA_PLATFORM=offscreen

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix="$tmp/prefix"

cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" || {
  cat "$tmp/install.log"
  exit 1
}
for file in lib/cmake/Scheme/SchemeConfig.cmake lib/cmake/Scheme/SchemeConfigVersion.cmake \
    lib/cmake/Scheme/SchemeTargets.cmake include/scheme/platform/export.h; do
  if [ ! -f "$prefix/$file" ]; then
    echo "check-package: the install lacks $file" >&2
    exit 1
  fi
done

# The Designer plugin, when the build has one, goes below the prefix where Qt's Designer looks,
# and finds the installed library from there.
if [ -f "$build/plugins/designer/libscheme_designer.so" ]; then
  plugin=$(find "$prefix" -path '*/plugins/designer/libscheme_designer.so')
  if [ -z "$plugin" ]; then
    echo "check-package: the install lacks the Designer plugin" >&2
    exit 1
  fi
  if ldd "$plugin" | grep -q "not found"; then
    ldd "$plugin"
    echo "check-package: the installed Designer plugin does not find its libraries" >&2
    exit 1
  fi
fi

# The outside project is built as the library was.
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
if ! cmake -S tests/package -B "$tmp/consumer" -G Ninja -DCMAKE_BUILD_TYPE="${build_type:-Release}" \
    -DCMAKE_PREFIX_PATH="$prefix" >"$tmp/configure.log" 2>&1; then
  cat "$tmp/configure.log"
  echo "check-package: tests/package does not configure against the installed package" >&2
  exit 1
fi
cmake --build "$tmp/consumer" -j2 >"$tmp/build.log" 2>&1 || {
  cat "$tmp/build.log"
  echo "check-package: tests/package does not build against the installed package" >&2
  exit 1
}

"$tmp/consumer/package_consumer"
mkdir "$tmp/out"
"$tmp/consumer/readme_example" "$tmp/out" >"$tmp/readme_example.log" 2>&1 || {
  cat "$tmp/readme_example.log"
  echo "check-package: readme_example failed" >&2
  exit 1
}
for file in plant.txt plant.png; do
  if [ ! -s "$tmp/out/$file" ]; then
    echo "check-package: readme_example wrote no $file" >&2
    exit 1
  fi
done
echo "check-package: the installed package builds and runs tests/package"

# The editor as installed, from the same prefix.
./scripts/check-install.sh "$prefix" "$build"
