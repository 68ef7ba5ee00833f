#!/usr/bin/env bash
# Sets up, builds and starts Kestrilo: the window when a display is there,
# otherwise the command-line companion on the folder given (default: the
# current folder).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/setup.sh"
cmake -S "$here" --preset release >/dev/null
# Only the two programs: the tests are scripts/test.sh's business.
cmake --build "$here/build/release" -j "$(nproc)" --target kestrilo-cli kestrilo

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$here/build/release/src/ui/kestrilo" ]; then
  exec "$here/build/release/src/ui/kestrilo"
fi
exec "$here/build/release/src/cli/kestrilo-cli" "${@:-.}"
