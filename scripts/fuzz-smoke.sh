#!/usr/bin/env bash
# Runs every fuzz target in BUILD_DIR/fuzz for SECONDS each over its corpus
# (fuzz/corpus/<target name without _fuzz>). Longer campaigns: raise SECONDS.
set -euo pipefail
build_dir=${1:-build/fuzz}
seconds=${2:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
for target in "$build_dir"/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target" _fuzz)
  corpus=$(mktemp -d)
  [ -d "$root/fuzz/corpus/$name" ] && cp -r "$root/fuzz/corpus/$name/." "$corpus/"
  echo "=== fuzz ${name}: ${seconds}s"
  if ! "$target" "$corpus" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 \
      -print_final_stats=1 2>"$corpus.log"; then
    tail -n 40 "$corpus.log"
    status=1
  else
    grep -E 'stat::number_of_executed_units|Done' "$corpus.log" | tail -n 2
  fi
  rm -rf "$corpus" "$corpus.log"
done
exit $status
