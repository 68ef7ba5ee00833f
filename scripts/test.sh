#!/usr/bin/env bash
# Sets up, builds with warnings as errors, and runs every test. With
# KESTRILO_SANITIZERS=1 it also runs the AddressSanitizer/UBSan build of the
# tests, the ThreadSanitizer build of the engine and run control, and a short
# fuzzing of the wildcard matcher and path rules.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

cmake --preset ci >/dev/null
cmake --build --preset ci -j "$jobs"
ctest --preset ci -j "$jobs"

if [ "${KESTRILO_SANITIZERS:-0}" = "1" ]; then
  bash scripts/fuzz.sh 20

  cmake --preset tsan >/dev/null
  cmake --build --preset tsan -j "$jobs"
  TSAN_OPTIONS="halt_on_error=1" ctest --preset tsan -j "$jobs" -R '^(RunControl|Check)'

  # The Win32 window and the installer, cross-built with mingw-w64 and run
  # under Wine; each window test gets a virtual X display of its own (xvfb-run).
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j "$jobs" --target kestrilo test_win32 installer zip
  ctest --preset windows -j "$jobs" -L '^win32$'

  # Last, so that its summary closes the run: every test again under
  # AddressSanitizer and UndefinedBehaviorSanitizer.
  cmake --preset asan >/dev/null
  cmake --build --preset asan -j "$jobs"
  ctest --preset asan -j "$jobs"
fi
