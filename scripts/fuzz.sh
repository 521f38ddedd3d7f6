#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a while. Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j 2
for target in fuzz_resource_name fuzz_find_expression fuzz_scpi fuzz_profile fuzz_log_line fuzz_reading fuzz_panel_file; do
  corpus="fuzz/corpus/$target"
  work="build/fuzz/corpus-$target"
  mkdir -p "$work"
  echo "== $target (${seconds}s)"
  "build/fuzz/bin/$target" -max_total_time="$seconds" -print_final_stats=0 "$work" "$corpus" \
    2>&1 | tail -n 3
done
