#!/usr/bin/env bash
# Builds the Debian package kelvrant_<version>_amd64.deb from the Release tree (default
# build-release, shared with the demo) and prints its path on the last line.
#   scripts/package.sh [build dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-build-release}"
case "$build" in /*) ;; *) build="$(pwd)/$build" ;; esac
"$root/scripts/build-release.sh" "$build"

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
# The release's changelog entry and manual page name the release being packaged.
changelog_version="$(sed -n '1s/^kelvrant (\([^)]*\)).*/\1/p' "$root/packaging/changelog")"
if [ "$changelog_version" != "$version" ]; then
  echo "package: packaging/changelog begins with $changelog_version, the project is $version:" \
       "add an entry for $version" >&2
  exit 1
fi
if ! grep -q "^\.TH KELVRANT 1 .*\"kelvrant $version\"" "$root/docs/kelvrant.1"; then
  echo "package: docs/kelvrant.1 does not name kelvrant $version in its .TH line" >&2
  exit 1
fi

deb="$build/kelvrant_${version}_amd64.deb"
rm -f "$deb"
(cd "$build" && cpack -G DEB >/dev/null)
[ -s "$deb" ] || { echo "package: $deb was not made" >&2; exit 1; }
echo "$deb"
