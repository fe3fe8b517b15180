#!/usr/bin/env bash
# Converts the bundled sample session with the kelvrant of build tree $1 (default: build):
# the B-, E-, S- and ION files into RINEX observation, GPS and GLONASS navigation files, and
# the met log into a RINEX met file. Results go to out/sample/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-build}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
kelvrant="$build/src/kelvrant"
out="$root/out/sample"
rm -rf "$out"; mkdir -p "$out"
cp "$root"/samples/BKELVA26.342 "$root"/samples/EKELVA26.342 "$root"/samples/SKELVA26.342 \
   "$root"/samples/ION26.342 "$root"/samples/A26342.NMA "$out"/
cd "$out"
# Without a display the program converts without a window and reports on stderr. The demo
# keeps its settings in out/, apart from the user's own.
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY KELVRANT_CONFIG="$root/out/Kelvrant.INI" "$kelvrant" "$@"
}
if [ ! -e "$root/out/Kelvrant.INI" ]; then
  echo "(a first run: kelvrant says that it writes its default settings to out/Kelvrant.INI)"
fi
echo "kelvrant -I BKELVA26.342 EKELVA26.342 SKELVA26.342 ION26.342"
run -I BKELVA26.342 EKELVA26.342 SKELVA26.342 ION26.342
# The met log is stamped with the time of day; week and seconds give its day.
echo "kelvrant -M A26342.NMA KELV3421.26M 2448 208800"
run -M A26342.NMA KELV3421.26M 2448 208800
echo
echo "RINEX files written to $out:"
ls -l "$out"/*.26?
echo
head -30 "$out/KELV3421.26O"
