#!/usr/bin/env bash
# Installs what is missing, builds Kelvrant (Release, in build-release/) and converts the
# bundled sample session.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh build
scripts/build-release.sh build-release
exec scripts/demo.sh build-release
