#!/usr/bin/env bash
# Checks a built Debian package as a user would meet it: lintian (errors fail), the package
# fields, the desktop entry (desktop-file-validate), the manual page (groff warnings fail),
# and the installed program itself. The package is unpacked into a temporary root (dpkg -x);
# as a normal user (nobody, when run as root) with a fresh home folder, the installed
# kelvrant converts the sample session headless, writes its settings to
# ~/.config/kelvrant/Kelvrant.INI and reads them back at the next run. With a build tree given,
# its kelvrant converts the same session and every output must be the same.
#   scripts/package-check.sh DEB [build dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
deb="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
build="${2:-}"
if [ -n "$build" ]; then build="$(cd "$build" && pwd)"; fi
fail() { echo "package-check: $*" >&2; exit 1; }

echo "-- lintian"
lintian --fail-on error "$deb" || fail "lintian reports errors"

echo "-- package fields"
field() { dpkg-deb -f "$deb" "$1"; }
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$(dirname "$deb")/CMakeCache.txt" 2>/dev/null || true)"
[ "$(field Package)" = kelvrant ] || fail "Package is $(field Package)"
[ -z "$version" ] || [ "$(field Version)" = "$version" ] || fail "Version $(field Version), project $version"
[ "$(field Architecture)" = amd64 ] || fail "Architecture is $(field Architecture)"
depends="$(field Depends)"
for needed in libqt6widgets6 libqt6core6 qt6-qpa-plugins fonts-liberation libc6 libstdc++6; do
  [[ ", $depends," == *", $needed"[\ ,]* ]] || fail "Depends lacks $needed: $depends"
done
echo "Depends: $depends"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
dpkg -x "$deb" "$work/root"
installed="$work/root/usr"
for f in bin/kelvrant lib/kelvrant/kelvrant-desktop share/applications/kelvrant.desktop \
         share/icons/hicolor/scalable/apps/kelvrant.svg share/man/man1/kelvrant.1.gz \
         share/doc/kelvrant/README.md share/doc/kelvrant/LICENSE \
         share/doc/kelvrant/copyright share/doc/kelvrant/changelog.gz; do
  [ -s "$installed/$f" ] || fail "/usr/$f missing from the package"
done

echo "-- desktop entry and manual page"
desktop-file-validate "$installed/share/applications/kelvrant.desktop" || fail "desktop entry invalid"
man_warnings="$(zcat "$installed/share/man/man1/kelvrant.1.gz" | groff -man -ww -z 2>&1 || true)"
[ -z "$man_warnings" ] || fail "manual page: $man_warnings"

echo "-- the installed program, as a normal user"
# The user's home and the session are the user's own; the rest of the root is not writable.
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
fi
mkdir -p "$work/home" "$work/session"
cp "$root"/samples/BKELVA26.342 "$root"/samples/EKELVA26.342 "$root"/samples/SKELVA26.342 \
   "$root"/samples/ION26.342 "$root"/samples/A26342.NMA "$work/session/"
if [ "$(id -u)" -eq 0 ]; then chown -R nobody:nogroup "$work/home" "$work/session"; fi
run_installed() {
  (cd "$work/session" && env -u DISPLAY -u WAYLAND_DISPLAY -u KELVRANT_CONFIG -u XDG_CONFIG_HOME \
    HOME="$work/home" "${as_user[@]}" "$installed/bin/kelvrant" "$@")
}
ini="$work/home/.config/kelvrant/Kelvrant.INI"

# First run: no settings yet; the defaults are written to the user's folder and that is said.
run_installed -I BKELVA26.342 EKELVA26.342 SKELVA26.342 ION26.342 2>"$work/err1" \
  || { cat "$work/err1" >&2; fail "the installed program failed to convert the sample"; }
expected="ERROR: Could not open configuration file (i.e., .INI): A default set of parameters will be used and written the file $ini."
[ "$(cat "$work/err1")" = "$expected" ] || { cat "$work/err1" >&2; fail "unexpected messages at the first run"; }
[ -s "$ini" ] || fail "no settings written to $ini"
if [ "$(id -u)" -eq 0 ]; then
  [ "$(stat -c %U "$ini")" = nobody ] || fail "$ini is not the user's own"
fi
for f in KELV3421.26O KELV3421.26N KELV3421.26G; do
  [ -s "$work/session/$f" ] || fail "$f not written"
done

# Second run: the settings are there and are used (a site name the user entered).
sed -i 's/^SITE_NAME=.*/SITE_NAME=KELVRANT PACKAGE/' "$ini"
run_installed -M A26342.NMA KELV3421.26M 2448 208800 2>"$work/err2" \
  || { cat "$work/err2" >&2; fail "the installed program failed to convert the met log"; }
[ ! -s "$work/err2" ] || { cat "$work/err2" >&2; fail "messages at the second run"; }
grep -q '^KELVRANT PACKAGE  *MARKER NAME' "$work/session/KELV3421.26M" \
  || fail "the user's settings were not used at the second run"
# Third run: plots need Qt, which only the companion loads; it must find it and the same
# settings (a configuration it could not find would be written anew, with a message).
objdump -p "$installed/bin/kelvrant" | grep -q 'NEEDED.*Qt' && fail "bin/kelvrant links Qt"
run_installed -I BKELVA26.342 EKELVA26.342 SKELVA26.342 ION26.342 -O plots.26O -N plots.26N \
  --qc-plots plots 2>"$work/err3" \
  || { cat "$work/err3" >&2; fail "the installed program failed to draw the plots"; }
[ ! -s "$work/err3" ] || { cat "$work/err3" >&2; fail "messages at the third run"; }
[ -s "$work/session/plots/qc-sky.svg" ] || fail "no plots drawn by the installed program"

echo "converted the sample as $(if [ ${#as_user[@]} -gt 0 ]; then echo nobody; else id -un; fi); settings kept in $ini"

if [ -n "$build" ]; then
  echo "-- same outputs as the tested build"
  mkdir -p "$work/reference"
  cp "$root"/samples/BKELVA26.342 "$root"/samples/EKELVA26.342 "$root"/samples/SKELVA26.342 \
     "$root"/samples/ION26.342 "$work/reference/"
  cp "$ini" "$work/reference.INI"
  sed -i 's/^SITE_NAME=.*/SITE_NAME=/' "$work/reference.INI"
  (cd "$work/reference" && env -u DISPLAY -u WAYLAND_DISPLAY KELVRANT_CONFIG="$work/reference.INI" \
    "$build/src/kelvrant" -I BKELVA26.342 EKELVA26.342 SKELVA26.342 ION26.342) \
    || fail "$build/src/kelvrant failed to convert the sample"
  undated() { sed -E '/PGM \/ RUN BY \/ DATE *\r?$/ s/^(.{40}).{20}/\1/' "$1"; }
  for f in KELV3421.26O KELV3421.26N KELV3421.26G; do
    cmp -s <(undated "$work/session/$f") <(undated "$work/reference/$f") \
      || fail "$f of the installed program differs from the build's"
  done
  echo "observation and navigation files identical to $build's"
fi
echo "package-check: $(basename "$deb") passed"
