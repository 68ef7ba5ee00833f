#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of
# seconds (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" --target fuzz_wildcard fuzz_path_text
mkdir -p build/fuzz/artifacts
for target in build/fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  echo "fuzzing $(basename "$target") for ${seconds}s"
  "$target" -artifact_prefix=build/fuzz/artifacts/ -max_total_time="$seconds" -max_len=512 -timeout=2 -rss_limit_mb=2048 2>&1 | tail -n 3
done
