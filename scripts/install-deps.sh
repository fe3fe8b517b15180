#!/usr/bin/env bash
# Installs the Debian packages Kelvrant needs, when they are missing.
#   scripts/install-deps.sh build   what building and running the program needs (the demo)
#   scripts/install-deps.sh [all]   that, and what the tests, fuzzing and packaging need
set -euo pipefail

build_packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-charts-dev libqt6opengl6-dev libgl-dev zlib1g-dev
  fonts-liberation
)
test_packages=(
  ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth openbox x11-utils xdotool imagemagick
  rtklib
  clang libclang-rt-14-dev clang-format
  dpkg-dev fakeroot file lintian desktop-file-utils
)

case "${1:-all}" in
  build) packages=("${build_packages[@]}") ;;
  all) packages=("${build_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 [build|all]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
