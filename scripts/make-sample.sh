#!/usr/bin/env bash
# Regenerates the bundled sample session in samples/ with the built simulator:
#   scripts/make-sample.sh [path/to/kelvrant-simulate]
# One hour at 30 s from a GG24 receiver, data type 3, GPS and GLONASS, with E-, S- and ION
# files and a met log, named in the Ashtech convention (BKELVA26.342 ...).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
sim="${1:-$root/build/tools/kelvrant-simulate}"
if [[ ! -x "$sim" ]]; then
    echo "make-sample: simulator not found at $sim (build first: scripts/build.sh build)" >&2
    exit 1
fi
out="$root/samples"
mkdir -p "$out"
rm -f "$out"/BKELVA26.342 "$out"/EKELVA26.342 "$out"/SKELVA26.342 "$out"/ION26.342 \
      "$out"/A26342.NMA "$out"/KELVA26.truth
"$sim" --receiver GG24 --data-type 3 --glonass --met \
       --week 2448 --start 208800 --length 3600 --interval 30 --seed 342 \
       --site KELV --session A --out "$out" --truth "$out/KELVA26.truth"
