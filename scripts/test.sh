#!/usr/bin/env bash
# Builds and runs the whole test suite: the default preset, then the same
# tests under AddressSanitizer + UndefinedBehaviorSanitizer, then a short run
# of every fuzz target over its corpus, the docs, and the Windows DLL under
# Wine; the window tests of the default preset run again under Xvfb. Exits
# non-zero on any failure.
#   scripts/test.sh            every step
#   scripts/test.sh default    one step only (default, asan, fuzz, docs or windows:
#                              the MinGW-w64 DLL registered and called under Wine)
set -euo pipefail
cd "$(dirname "$0")/.."

presets=("$@")
[ "${#presets[@]}" -gt 0 ] || presets=(default asan fuzz docs windows)

run_preset() {
  local preset=$1
  if [ "$preset" = docs ]; then
    echo "=== docs: API documentation, failing on any warning"
    scripts/docs.sh
    return
  fi
  echo "=== ${preset}: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j2
  if [ "$preset" = fuzz ]; then
    scripts/fuzz-smoke.sh build/fuzz 20
  else
    echo "=== ${preset}: test"
    ctest --preset "$preset"
    if [ "$preset" = default ]; then
      # The window tests once more on a real X server, so the xcb platform,
      # real focus and the modal loop are exercised too. They pick the
      # offscreen platform unless the run names one.
      echo "=== ${preset}: window tests under Xvfb"
      QT_QPA_PLATFORM=xcb xvfb-run -a ctest --preset "$preset" -R 'Window|View'
    fi
  fi
}

for p in "${presets[@]}"; do run_preset "$p"; done
echo "=== all test runs passed"
