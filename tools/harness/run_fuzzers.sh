#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a short, fixed time each,
# starting from its seed folder when it has one. Any finding fails the run.
#
# Usage: tools/harness/run_fuzzers.sh BUILD_DIR [SECONDS]
set -euo pipefail
build=${1:?fuzz build folder}
seconds=${2:-20}
root=$(cd "$(dirname "$0")/../.." && pwd)
shopt -s nullglob
found=0
for target in "$build"/tests/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  found=$((found + 1))
  name=$(basename "$target")
  corpus=$(mktemp -d)
  seeds="$root/tests/fuzz/seeds/$name"
  [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/
  echo "fuzzing $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -print_final_stats=0 "$corpus" >"$corpus.log" 2>&1 || {
    tail -40 "$corpus.log"
    echo "$name: finding"
    exit 1
  }
  rm -rf "$corpus" "$corpus.log"
done
echo "$found fuzz targets ran without findings"
