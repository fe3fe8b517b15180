#!/usr/bin/env bash
# Throughput of `kelvrant batch`: N simulated one-hour sessions at 1 s, converted once one
# after the other by single `kelvrant -I` runs and once by `kelvrant batch --jobs J`; prints
# both wall times and their ratio. Run by hand on a quiet machine:
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
mkdir -p "$work/single" "$work/batch"
export -n DISPLAY WAYLAND_DISPLAY 2>/dev/null || true
unset DISPLAY WAYLAND_DISPLAY

start=$(date +%s.%N)
while read -r line; do
    eval "\"$exe\" ${line#kelvrant }" >/dev/null 2>&1 || true
done < <("$exe" batch --list --out "$work/single" --layout '{site}' "$work/campaign")
single=$(echo "$(date +%s.%N) - $start" | bc)

start=$(date +%s.%N)
"$exe" batch --jobs "$jobs" --out "$work/batch" --layout '{site}' "$work/campaign" >/dev/null
batch=$(echo "$(date +%s.%N) - $start" | bc)

printf 'sessions %d, jobs %d, load %s\n' "$n" "$jobs" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf 'single runs one after the other: %.1f s\n' "$single"
printf 'batch:                           %.1f s\n' "$batch"
printf 'ratio batch / single:            %.2f (goal <= 0.60)\n' "$(echo "$batch / $single" | bc -l)"
