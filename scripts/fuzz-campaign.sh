#!/usr/bin/env bash
# A long fuzzing campaign, run by hand (not in CI): every harness (or those named) for
# KELVRANT_FUZZ_SECONDS each (default 1800), with a per-input limit of KELVRANT_FUZZ_TIMEOUT
# seconds (default 5: on a quiet machine a slow input is a finding). The inputs found are kept
# in build-fuzz/fuzz-work/<parser>/ and grow from one campaign to the next. A failing input is
# saved and printed as in the smoke run. To add the new coverage to the committed seeds:
#   build-fuzz/tests/fuzz/fuzz_<parser> -merge=1 tests/fuzz/corpus/<parser> build-fuzz/fuzz-work/<parser>
#   scripts/fuzz-campaign.sh [parser...]
set -euo pipefail
export KELVRANT_FUZZ_SECONDS="${KELVRANT_FUZZ_SECONDS:-1800}"
export KELVRANT_FUZZ_TIMEOUT="${KELVRANT_FUZZ_TIMEOUT:-5}"
export KELVRANT_FUZZ_KEEP=1
exec "$(dirname "$0")/fuzz-smoke.sh" "$@"
