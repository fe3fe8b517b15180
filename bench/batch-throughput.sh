#!/usr/bin/env bash
# Throughput of `kelvrant batch`: N simulated one-hour sessions at 1 s, converted once one
# after the other by single `kelvrant -I` runs and once by `kelvrant batch --jobs J`; prints
# the best wall times of three alternating rounds and their ratio. Run by hand on a quiet
# machine:
#
#   bench/batch-throughput.sh BUILD_DIR [SESSIONS=200] [JOBS=2]
set -euo pipefail
build="$(cd "${1:?build directory}" && pwd)"
n="${2:-200}"
jobs="${3:-2}"
exe="$build/src/kelvrant"
sim="$build/tools/kelvrant-simulate"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# One session simulated, copied under N site names (the same work for every session).
"$sim" --site BNCH --length 3600 --interval 1 --week 2448 --start 172800 --out "$work/one" >/dev/null
for i in $(seq -w 0 $((n - 1))); do
    site="S$(printf '%03d' "$((10#$i))")"
    dir="$work/campaign/$site"
    mkdir -p "$dir"
    for f in "$work"/one/*; do
        base="$(basename "$f")"
        cp "$f" "$dir/${base/BNCH/$site}"
    done
done
export -n DISPLAY WAYLAND_DISPLAY 2>/dev/null || true
unset DISPLAY WAYLAND_DISPLAY
# Each phase starts from a settled disk (the outputs of the one before written and freed:
# on a file system mounted with discard, freeing blocks slows the next fsyncs), the two
# alternate, and the best of each is kept.
# The listing also makes the single runs' folders.
settle() {
    rm -rf "$work/single" "$work/batch"
    mkdir -p "$work/batch"
    "$exe" batch --list --out "$work/single" --layout '{site}' "$work/campaign" >"$work/lines"
    sync
    sleep 1
}
now() { date +%s.%N; }
best_single=""
best_batch=""
for round in 1 2 3; do
    settle
    start=$(now)
    while read -r line; do
        eval "\"$exe\" ${line#kelvrant }" >/dev/null 2>&1 || true
    done <"$work/lines"
    single=$(echo "$(now) - $start" | bc)
    settle
    start=$(now)
    "$exe" batch --jobs "$jobs" --out "$work/batch" --layout '{site}' "$work/campaign" >/dev/null
    batch=$(echo "$(now) - $start" | bc)
    printf 'round %d: single runs %.2f s, batch %.2f s\n' "$round" "$single" "$batch"
    if [ -z "$best_single" ] || [ "$(echo "$single < $best_single" | bc)" = 1 ]; then best_single=$single; fi
    if [ -z "$best_batch" ] || [ "$(echo "$batch < $best_batch" | bc)" = 1 ]; then best_batch=$batch; fi
done
single=$best_single
batch=$best_batch

printf 'sessions %d, jobs %d, load %s\n' "$n" "$jobs" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf 'single runs one after the other: %.2f s (best of 3)\n' "$single"
printf 'batch:                           %.2f s (best of 3)\n' "$batch"
printf 'ratio batch / single:            %.2f (goal <= 0.60)\n' "$(echo "$batch / $single" | bc -l)"
