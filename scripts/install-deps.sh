#!/bin/sh
# Installs the Debian packages the build needs, only those that are missing.
# Idempotent and quiet when everything is present.
set -eu

PACKAGES="cmake ninja-build g++ pkg-config
qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-image-formats-plugins libqt6svg6
qt6-tools-dev libqt6opengl6-dev
mosquitto libmosquitto-dev
libgl-dev libboost-dev
poppler-utils
libgtest-dev libgmock-dev googletest libbenchmark-dev
clang-14 libclang-rt-14-dev clang-format-14
xdg-utils shared-mime-info libfile-mimeinfo-perl"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
    missing="$missing $p"
  fi
done

[ -z "$missing" ] && exit 0

echo "Installing missing packages:$missing" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq >/dev/null
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
