#!/usr/bin/env bash
# Builds the library in the release preset and runs the demo client against
# the user's default settings store and log folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target velmora_demo velmora
exec build/release/examples/velmora_demo "$@"
