#!/usr/bin/env bash
# The screenshot of the Windows installer's first page in docs/: the real
# installer under Wine, in a Wine desktop on a virtual X display (Xvfb), with
# a Japanese font (scripts/wine_japanese_prefix.sh); fonts-wine brings the
# symbols of the title bar.
#
# Usage: scripts/installer_screenshot.sh [OUTPUT.png]
#        (default docs/installer-windows.png)
set -euo pipefail
cd "$(dirname "$0")/.."
output=$(realpath -m "${1:-docs/installer-windows.png}")
KESTRILO_WINDOWS=1 KESTRILO_SETUP_EXTRA="imagemagick fonts-wine x11-utils" bash scripts/setup.sh

cmake --preset windows >/dev/null
cmake --build --preset windows --target installer
build=$PWD/build/windows
setup=$(sed -n 's/^KESTRILO_SETUP_EXE:INTERNAL=//p' "$build/CMakeCache.txt")

export WINEPREFIX=$build/wine-installer-screenshot WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8 LC_ALL=C.UTF-8
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
bash scripts/wine_japanese_prefix.sh "$wine"

export wine setup output
xvfb-run -a -s "-screen 0 640x480x24" bash -c '
  "$wine" explorer /desktop=Kestrilo,640x480 "$setup" &
  # The installer is an X window of the Wine desktop named by its title.
  window=
  for _ in $(seq 300); do
    window=$(xwininfo -root -tree | sed -n "s/^ *\(0x[0-9a-f]*\) \"Kestrilo セットアップ\": .*/\1/p")
    [ -n "$window" ] && break
    sleep 0.2
  done
  [ -n "$window" ] || { echo "the installer did not open" >&2; wineserver -k; exit 1; }
  # Taken once the page has been drawn: two pictures a moment apart agree.
  previous=$(mktemp --suffix=.png)
  current=$(mktemp --suffix=.png)
  for _ in $(seq 40); do
    sleep 0.5
    import -window "$window" "$current"
    compare -metric AE "$previous" "$current" null: 2>/dev/null && break
    cp "$current" "$previous"
  done
  cp "$current" "$output"
  rm -f "$previous" "$current"
  wineserver -k || true
'
echo "wrote $output"
