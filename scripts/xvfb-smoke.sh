#!/usr/bin/env bash
# Runs the real kelvrant once on a real X server: starts Xvfb on a free display, converts the
# bundled sample session unattended (-I) in a temporary directory, and checks that the program
# ended by itself with exit status 0 and wrote the RINEX files. Usage: xvfb-smoke.sh [build dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-build}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
kelvrant="$build/src/kelvrant"
if ! command -v Xvfb >/dev/null; then
  echo "xvfb-smoke: Xvfb not installed, skipped"
  exit 0
fi
[[ -x "$kelvrant" ]] || { echo "xvfb-smoke: $kelvrant not built" >&2; exit 1; }

work="$(mktemp -d)"
xvfb_pid=""
cleanup() {
  if [[ -n "$xvfb_pid" ]]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number to the given descriptor.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.1; done
display="$(tr -d '[:space:]' <"$work/display")"
[[ -n "$display" ]] || { echo "xvfb-smoke: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }

mkdir "$work/session"
cp "$root"/samples/BKELVA26.342 "$root"/samples/EKELVA26.342 "$root"/samples/SKELVA26.342 \
   "$root"/samples/ION26.342 "$work/session"/
cd "$work/session"
status=0
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=":$display" KELVRANT_CONFIG="$work/Kelvrant.INI" \
  timeout 120 "$kelvrant" -I BKELVA26.342 EKELVA26.342 SKELVA26.342 ION26.342 || status=$?
if [[ $status -ne 0 ]]; then
  echo "xvfb-smoke: kelvrant ended with status $status" >&2
  exit 1
fi
for f in KELV3421.26O KELV3421.26N KELV3421.26G; do
  [[ -s "$f" ]] || { echo "xvfb-smoke: $f missing or empty" >&2; exit 1; }
done
grep -q "END OF HEADER" KELV3421.26O || { echo "xvfb-smoke: observation header incomplete" >&2; exit 1; }
[[ ! -e Kelvrant.~01 ]] || { echo "xvfb-smoke: scratch file left behind" >&2; exit 1; }
echo "xvfb-smoke: windowed unattended conversion on display :$display passed"
