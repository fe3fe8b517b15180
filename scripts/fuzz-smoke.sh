#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang in their own tree and runs each one for a bounded
# time from its committed seeds and regressions. Fails on any crash, hang, leak, memory
# blow-up or sanitizer report, and prints where the failing input was saved (commit it under
# tests/fuzz/regressions/<parser>/ with the fix, so that the suite replays it).
#   scripts/fuzz-smoke.sh [parser...]      (default: every harness)
#   KELVRANT_FUZZ_SECONDS   time per harness in seconds (default 15: the CI gate)
#   KELVRANT_FUZZ_TIMEOUT   seconds one input may take before it counts as a hang (default 20,
#                           far above what any input needs even on a busy machine, so that
#                           load alone never fails the gate)
#   KELVRANT_FUZZ_BUILD     build tree (default build-fuzz)
#   KELVRANT_FUZZ_KEEP      1: keep the inputs found in <build>/fuzz-work/ for the next run
#                           (scripts/fuzz-campaign.sh), instead of starting from the seeds
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${KELVRANT_FUZZ_SECONDS:-15}"
timeout="${KELVRANT_FUZZ_TIMEOUT:-20}"
build="${KELVRANT_FUZZ_BUILD:-build-fuzz}"
keep="${KELVRANT_FUZZ_KEEP:-0}"

launcher=""
if command -v ccache >/dev/null; then launcher=ccache; fi
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DKELVRANT_FUZZ=ON -DKELVRANT_BUILD_UI=OFF \
  -DKELVRANT_BUILD_BENCH=OFF -DKELVRANT_BUILD_TESTS=OFF -DKELVRANT_SANITIZE=OFF \
  -DKELVRANT_WERROR=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher" >/dev/null

if [ "$#" -gt 0 ]; then
  parsers=("$@")
else
  parsers=()
  for source in tests/fuzz/fuzz_*.cpp; do
    name="$(basename "$source" .cpp)"
    parsers+=("${name#fuzz_}")
  done
fi
# Only the harnesses and what they link: the tools need not build with this clang.
targets=()
for parser in "${parsers[@]}"; do
  targets+=("fuzz_$parser")
done
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

# Harnesses of parsers that take a file name write each input to a scratch file: keep those
# in memory when possible (the configuration writer syncs every file it writes).
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi
export ASAN_OPTIONS="detect_leaks=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
failed=()
summary=()
for parser in "${parsers[@]}"; do
  echo "== fuzz $parser for ${seconds} s"
  work="$build/fuzz-work/$parser"
  artifacts="$(pwd)/$build/fuzz-artifacts/$parser"
  [ "$keep" = 1 ] || rm -rf "$work"
  mkdir -p "$work" "$artifacts"
  started="$build/fuzz-$parser.started"
  touch "$started"
  # New inputs go to the scratch corpus (first directory); the committed ones stay as they are.
  seeds=()
  for dir in "tests/fuzz/corpus/$parser" "tests/fuzz/regressions/$parser"; do
    [ -d "$dir" ] && seeds+=("$dir")
  done
  log="$build/fuzz-$parser.log"
  if ! "$build/tests/fuzz/fuzz_$parser" -max_total_time="$seconds" -timeout="$timeout" \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/" \
      "$work" "${seeds[@]}" 2>"$log"; then
    tail -n 60 "$log"
    echo "fuzz $parser FAILED; the input that failed is saved as:"
    find "$artifacts" -type f -newer "$started" -printf '  %p\n'
    echo "  replay it: $build/tests/fuzz/fuzz_$parser FILE   (whole log: $log)"
    failed+=("$parser")
    summary+=("$parser: FAILED")
  else
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
    summary+=("$parser: ${runs:-?} inputs in ${seconds} s")
  fi
done

echo "== fuzz summary"
printf '  %s\n' "${summary[@]}"
if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzz smoke run failed: ${failed[*]}"
  exit 1
fi
echo "fuzz smoke run passed: ${parsers[*]}"
