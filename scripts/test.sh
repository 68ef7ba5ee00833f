#!/usr/bin/env bash
# Sets up, checks the layout of the sources, builds with warnings as errors,
# and runs every test. With KESTRILO_SANITIZERS=1 it also runs clang-tidy over
# the engine, checks the Debian package of that build, runs the
# AddressSanitizer/UBSan build of the tests, the ThreadSanitizer build of the
# engine and run control, a short fuzzing of the wildcard matcher and path
# rules, and the Windows build of the platform layer, engine, deletion, run
# control and window with their tests under Wine, and its installer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

# Cheap, so first: the sources are laid out as .clang-format says.
bash scripts/format_check.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

cmake --preset ci >/dev/null
cmake --build --preset ci -j "$jobs"
ctest --preset ci -j "$jobs"

if [ "${KESTRILO_SANITIZERS:-0}" = "1" ]; then
  # clang-tidy over the engine and the command line (.clang-tidy).
  bash scripts/tidy.sh

  # The Debian package of this build, through lintian and the desktop and
  # AppStream validators.
  bash scripts/package.sh build/ci

  bash scripts/fuzz.sh 20

  cmake --preset tsan >/dev/null
  cmake --build --preset tsan -j "$jobs"
  TSAN_OPTIONS="halt_on_error=1" ctest --preset tsan -j "$jobs" -R '^(RunControl|Check|Threads)'

  # 64-bit Windows, cross-built with mingw-w64; the tests run under Wine,
  # headless, in a Wine prefix below build/windows. The Win32 window's tests
  # get a virtual X display and a Wine prefix of their own; the installer is
  # installed and uninstalled in one more prefix.
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j "$jobs" --target kestrilo-cli test_platform test_fingerprint test_check test_run test_delete \
    test_cli test_window kestrilo test_win32 installer zip
  ctest --preset windows -j "$jobs" -L '^(platform|fingerprint|check|run|delete|cli|window|win32)$'

  # Last, so that its summary closes the run: every test again under
  # AddressSanitizer and UndefinedBehaviorSanitizer.
  cmake --preset asan >/dev/null
  cmake --build --preset asan -j "$jobs"
  ctest --preset asan -j "$jobs"
fi
