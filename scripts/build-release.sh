#!/usr/bin/env bash
# Configures and builds the Release tree of the demo and the package (default build-release):
# the program and its tools, without tests or benchmarks. Every option is given, so a tree
# configured differently before is set right again.
#   scripts/build-release.sh [dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-build-release}"
launcher=""
if command -v ccache >/dev/null; then launcher=ccache; fi
"$root/scripts/build.sh" "$dir" -DCMAKE_BUILD_TYPE=Release -DKELVRANT_BUILD_UI=ON \
  -DKELVRANT_BUILD_TESTS=OFF -DKELVRANT_BUILD_BENCH=OFF -DKELVRANT_SANITIZE=OFF \
  -DKELVRANT_FUZZ=OFF -DKELVRANT_WERROR=OFF -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher"
