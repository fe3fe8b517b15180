#!/usr/bin/env bash
# Installs what is missing, builds Kelvrant and runs every test: formatting, the normal build
# with warnings as errors (build/), the whole suite again under AddressSanitizer and UBSan
# (build-asan/), the Debian package and its check (build-release/, shared with the demo), and
# a short fuzzing run of every parser (build-fuzz/). Each tree is configured with every option
# it needs, so the trees may have been used before, by this script or the demo, in any order.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh all

launcher=""
if command -v ccache >/dev/null; then launcher=ccache; fi
common=(-DCMAKE_CXX_COMPILER_LAUNCHER="$launcher" -DKELVRANT_BUILD_UI=ON -DKELVRANT_BUILD_TESTS=ON
        -DKELVRANT_FUZZ=OFF)

timings=()
stage() {
  local name="$1"; shift
  echo "== $name"
  local start=$SECONDS
  "$@"
  timings+=("$(printf '%-20s %5d s' "$name" $((SECONDS - start)))")
}
report() {
  local status=$?
  if [ "${#timings[@]}" -gt 0 ]; then
    echo "== stage times"
    printf '  %s\n' "${timings[@]}"
  fi
  [ "$status" -eq 0 ] || echo "run-tests: FAILED (status $status)"
}
trap report EXIT

check_format() {
  local files
  files=$(git ls-files 2>/dev/null | grep -E '\.(cpp|h)$' || find src tests tools bench -name '*.cpp' -o -name '*.h')
  # shellcheck disable=SC2086
  clang-format --dry-run -Werror $files
}
# ctest fails when no test ran: a tree without tests never passes for a tested one.
run_suite() { (cd "$1" && ctest --output-on-failure --no-tests=error -j "$(nproc)"); }
run_sanitized_suite() (
  export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
  run_suite build-asan
)
package_and_check() {
  local deb
  deb="$(scripts/package.sh build-release | tail -n 1)"
  scripts/package-check.sh "$deb" build
}

stage "clang-format" check_format
stage "build" scripts/build.sh build "${common[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKELVRANT_BUILD_BENCH=ON -DKELVRANT_SANITIZE=OFF -DKELVRANT_WERROR=ON
stage "test" run_suite build
stage "xvfb smoke" scripts/xvfb-smoke.sh build  # the real program once on a real X server
stage "sanitizer build" scripts/build.sh build-asan "${common[@]}" -DCMAKE_BUILD_TYPE=Debug \
  -DKELVRANT_BUILD_BENCH=OFF -DKELVRANT_SANITIZE=ON -DKELVRANT_WERROR=OFF
stage "sanitizer test" run_sanitized_suite
stage "package and check" package_and_check
stage "fuzz smoke" scripts/fuzz-smoke.sh
