#!/usr/bin/env bash
# Runs the real kelvrant on a real X server: starts Xvfb (1366 x 768, a laptop screen) on a
# free display, converts the bundled sample session unattended (-I) in a temporary directory,
# and checks that the program ended by itself with exit status 0 and wrote the RINEX files.
# Then, with a window manager (openbox) running, it drives an interactive conversion with
# xdotool: a preparation error must be the topmost window (stacking order from the window
# manager), and the result shown at the end must name the files written.
# Usage: xvfb-smoke.sh [build dir]; SCREENSHOT_DIR=dir also saves screenshots there.
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
wm_pid=""
app_pid=""
cleanup() {
  for pid in "$app_pid" "$wm_pid" "$xvfb_pid"; do
    if [[ -n "$pid" ]]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  done
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number to the given descriptor.
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.1; done
display="$(tr -d '[:space:]' <"$work/display")"
[[ -n "$display" ]] || { echo "xvfb-smoke: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }

mkdir "$work/session"
cp "$root"/samples/BKELVA26.342 "$root"/samples/EKELVA26.342 "$root"/samples/SKELVA26.342 \
   "$root"/samples/ION26.342 "$work/session"/
cd "$work/session"
# The program's settings and file history go to the temporary home, never the user's.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$XDG_CONFIG_HOME"
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

# ---- The interactive program under a window manager ----
for tool in openbox xdotool xprop; do
  command -v "$tool" >/dev/null || { echo "xvfb-smoke: $tool not installed, desktop check skipped"; exit 0; }
done
export DISPLAY=":$display"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
for _ in $(seq 100); do xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW && break; sleep 0.1; done

# The id of the newest window titled exactly $1, waiting up to 20 s for it.
window_named() {
  local id
  for _ in $(seq 200); do
    id="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -1)"
    if [[ -n "$id" ]]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  echo "xvfb-smoke: no window \"$1\"" >&2
  return 1
}
# The window the window manager stacks on top of all others.
topmost() {
  printf '%d\n' "$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //' | tr ',' '\n' | tail -1)"
}
shot() {
  [[ -n "${SCREENSHOT_DIR:-}" ]] || return 0
  sleep 0.5
  import -window root "$SCREENSHOT_DIR/$1"
}

mkdir "$work/desk"
cp "$root"/samples/BKELVA26.342 "$root"/samples/EKELVA26.342 "$root"/samples/SKELVA26.342 \
   "$root"/samples/ION26.342 "$work/desk"/
cd "$work/desk"
KELVRANT_CONFIG="$work/Kelvrant.INI" QT_LOGGING_RULES="kelvrant.result.info=true" "$kelvrant" \
  >"$work/app.log" 2>&1 &
app_pid=$!
files="$(window_named "RINEX Conversion File Selection Window")"

# OK with no B-file: the preparation error must come in front of the always-on-top file window.
xdotool windowactivate --sync "$files" key --clearmodifiers Return
error="$(window_named "Minimum File Requirements")"
sleep 0.5
if [[ "$(topmost)" != "$error" ]]; then
  echo "xvfb-smoke: the preparation error is not the topmost window" >&2
  xprop -root _NET_CLIENT_LIST_STACKING >&2
  exit 1
fi
shot error-in-front.png
xdotool windowactivate --sync "$error" key --clearmodifiers Return

# A whole conversion: B-file typed, OK, header window OK, result at the end.
xdotool windowactivate --sync "$files"
xdotool type --delay 5 "$work/desk/BKELVA26.342"
xdotool key --clearmodifiers Tab Return
header="$(window_named "RINEX Header Data/Options")"
shot header-1366x768.png
xdotool windowactivate --sync "$header" key --clearmodifiers Return
# The configuration leaves clock adjustment off for this GLONASS receiver: continue as it is.
for _ in $(seq 30); do
  ask="$(xdotool search --onlyvisible --name "^WARNING: Non-GLONASS option selected.$" 2>/dev/null | tail -1 || true)"
  if [[ -n "$ask" ]]; then xdotool windowactivate --sync "$ask" key --clearmodifiers Return; break; fi
  sleep 0.1
done
for _ in $(seq 300); do grep -q "Wrote " "$work/app.log" && break; sleep 0.1; done
for f in KELV3421.26O KELV3421.26N KELV3421.26G; do
  grep "Wrote " "$work/app.log" | grep -q "$f" || {
    echo "xvfb-smoke: the result does not name $f" >&2; cat "$work/app.log" >&2
    [[ -n "${SCREENSHOT_DIR:-}" ]] && import -window root "$SCREENSHOT_DIR/failure.png"; exit 1; }
done
shot result.png

# For the screenshots only: the session again from File > Recent Sessions, the same start as
# dropping it on the window.
if [[ -n "${SCREENSHOT_DIR:-}" ]]; then
  main="$(window_named "Ashtech Raw to RINEX Converter (.*) -- Quillon")"
  xdotool windowactivate --sync "$main" key --clearmodifiers alt+f s 1
  sleep 0.5
  shot session-start.png
fi
echo "xvfb-smoke: error in front, result naming the files, under openbox on display :$display passed"
