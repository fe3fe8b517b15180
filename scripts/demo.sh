#!/usr/bin/env bash
# Converts the bundled sample session with the kelvrant in build tree $1.
set -euo pipefail
build="${1:-build}"
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/out/sample"
rm -rf "$out"; mkdir -p "$out"
cp "$root"/samples/* "$out"/ 2>/dev/null || true
if ! ls "$out"/B* >/dev/null 2>&1; then
  echo "No sample session in samples/ yet; kelvrant usage:"
  env -u DISPLAY -u WAYLAND_DISPLAY "$build/src/kelvrant" || true
  exit 0
fi
cd "$out"
bfile=$(ls B* | head -1); rest=${bfile#B}
set -- -I "$bfile" "E$rest"
[ -e "S$rest" ] && set -- "$@" "S$rest"
[ -e "ION$rest" ] || true
env -u DISPLAY -u WAYLAND_DISPLAY "$root/$build/src/kelvrant" "$@"
echo "RINEX files written to $out:"
ls -l "$out"
