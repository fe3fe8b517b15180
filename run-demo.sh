#!/usr/bin/env bash
# Installs what is missing, builds Kelvrant and converts the bundled sample session.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh build -DCMAKE_BUILD_TYPE=Release -DKELVRANT_BUILD_TESTS=OFF
exec scripts/demo.sh build
