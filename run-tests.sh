#!/usr/bin/env bash
# Installs what is missing, builds Kelvrant and runs every test: formatting, the normal build
# with warnings as errors, and the whole suite again under AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh

echo "== clang-format"
files=$(git ls-files 2>/dev/null | grep -E '\.(cpp|h)$' || find src tests tools bench -name '*.cpp' -o -name '*.h')
clang-format --dry-run -Werror $files

echo "== build and test"
scripts/build.sh build -DKELVRANT_WERROR=ON
(cd build && ctest --output-on-failure -j "$(nproc)")
scripts/xvfb-smoke.sh build  # the real program once on a real X server

echo "== sanitizer build and test (ASan + UBSan)"
scripts/build.sh build-asan -DKELVRANT_SANITIZE=ON -DKELVRANT_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j "$(nproc)")

if [ -x scripts/fuzz-smoke.sh ]; then
  echo "== fuzz smoke runs"
  scripts/fuzz-smoke.sh
fi
