#!/usr/bin/env bash
# Writes the API documentation of the public headers into build/docs/html and
# fails on any Doxygen warning.
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p build/docs
doxygen doc/Doxyfile
echo "docs: build/docs/html/index.html"
