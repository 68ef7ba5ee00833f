#!/usr/bin/env bash
# Fails, naming the files, when a C++ file under src/, tests/, bench/ or fuzz/
# is not laid out as .clang-format says. With --fix it lays them out instead.
# CLANG_FORMAT names the program (Debian's clang-format by default).
set -euo pipefail
cd "$(dirname "$0")/.."
clang_format=${CLANG_FORMAT:-clang-format}

# The files git knows or would take (not what it ignores, such as the
# generated benchmark trees under bench/data).
mapfile -t files < <(git ls-files --cached --others --exclude-standard -- \
  'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h' | sort)
# Without git (or outside a checkout) the list is empty, and clang-format
# would read standard input instead.
if [ ${#files[@]} -eq 0 ]; then
  echo "format check: git lists no C++ files; is this a git checkout, and is git installed?" >&2
  exit 1
fi

if [ "${1:-}" = "--fix" ]; then
  "$clang_format" -i -- "${files[@]}"
  exit 0
fi

if report=$("$clang_format" --dry-run --Werror -- "${files[@]}" 2>&1); then
  echo "format check: ${#files[@]} files as .clang-format lays them out"
  exit 0
fi
mapfile -t unformatted < <(grep -o '^[^:]*\.\(cpp\|h\):[0-9]*:[0-9]*: error' <<<"$report" | cut -d: -f1 | sort -u)
if [ ${#unformatted[@]} -eq 0 ]; then
  # Not a layout complaint: clang-format itself failed.
  echo "$report" >&2
  exit 1
fi
printf '%s\n' "${unformatted[@]}" >&2
echo "format check: ${#unformatted[@]} of ${#files[@]} files are not laid out as .clang-format says;" \
  "run scripts/format_check.sh --fix (or the format target)" >&2
exit 1
