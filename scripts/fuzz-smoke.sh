#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang in their own tree and runs each one for a bounded
# time from its committed seeds and regressions. Fails on any crash, hang (one input over
# 1 s), leak, memory blow-up or sanitizer report; the failing input is left in
# <build>/fuzz-artifacts/<parser>/ for committing under tests/fuzz/regressions/<parser>/.
#   scripts/fuzz-smoke.sh [parser...]      (default: every harness)
#   KELVRANT_FUZZ_SECONDS   time per harness in seconds (default 60)
#   KELVRANT_FUZZ_BUILD     build tree (default build-fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${KELVRANT_FUZZ_SECONDS:-60}"
build="${KELVRANT_FUZZ_BUILD:-build-fuzz}"

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DKELVRANT_FUZZ=ON -DKELVRANT_BUILD_UI=OFF \
  -DKELVRANT_BUILD_BENCH=OFF -DKELVRANT_BUILD_TESTS=OFF -DKELVRANT_SANITIZE=OFF >/dev/null

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
for parser in "${parsers[@]}"; do
  echo "== fuzz $parser for ${seconds} s"
  work="$build/fuzz-work/$parser"
  artifacts="$build/fuzz-artifacts/$parser"
  rm -rf "$work"
  mkdir -p "$work" "$artifacts"
  # New inputs go to the scratch corpus (first directory); the committed ones stay as they are.
  seeds=()
  for dir in "tests/fuzz/corpus/$parser" "tests/fuzz/regressions/$parser"; do
    [ -d "$dir" ] && seeds+=("$dir")
  done
  if ! "$build/tests/fuzz/fuzz_$parser" -max_total_time="$seconds" -timeout=1 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/" \
      "$work" "${seeds[@]}" 2>"$build/fuzz-$parser.log"; then
    tail -n 60 "$build/fuzz-$parser.log"
    echo "fuzz $parser FAILED; input in $artifacts/"
    failed+=("$parser")
  else
    grep -E '^stat::number_of_executed_units|^Done ' "$build/fuzz-$parser.log" || true
  fi
done

if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzz smoke run failed: ${failed[*]}"
  exit 1
fi
echo "fuzz smoke run passed: ${parsers[*]}"
