#!/usr/bin/env bash
# Runs clang-tidy (Debian's, with .clang-tidy) over the engine and the
# command line: every source of those layers that the ci build compiles, and
# their headers, from the ci build's compile_commands.json. Fails on any
# finding. About three minutes on two cores.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

cmake --preset ci >/dev/null

layers='(platform|store|fingerprint|check|run|delete|toolkit|cli)'
root=$(pwd)
log=$(mktemp)
trap 'rm -f "$log"' EXIT
run-clang-tidy -p build/ci -j "$(nproc)" -quiet -header-filter="$root/src/$layers/" "$root/src/$layers/" 2>&1 |
  sed 's/\x1b\[[0-9;]*m//g' >"$log" || true
if grep -qE '(warning|error): ' "$log"; then
  grep -E -A3 '(warning|error): ' "$log" | grep -v '^--$'
  echo "tidy: $(grep -cE '(warning|error): ' "$log") findings" >&2
  exit 1
fi
echo "tidy: no findings in $(grep -c '^clang-tidy' "$log") files"
