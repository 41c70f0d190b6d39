#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the screenshots need, and any more named
# on its command line (scripts/windows.sh names the Windows stage's). Packages already present are
# skipped, so a second run costs a few milliseconds.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config qttools5-dev-tools
  qtbase5-dev qtbase5-private-dev qt5-image-formats-plugins libpugixml-dev libisal-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  umockdev libumockdev-dev jq
  cups-daemon cups-client libcups2-dev dpkg-dev file
  xvfb xauth x11-apps xdotool imagemagick fonts-dejavu-core
  clang-14 libclang-rt-14-dev
  libzint-dev libqt5svg5-dev zbar-tools poppler-utils
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
