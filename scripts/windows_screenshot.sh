#!/usr/bin/env bash
# The screenshot of kestrilo.exe in docs/: the real program under Wine on a
# virtual X display (Xvfb), after a duplicate check of a small tree with
# Japanese names. Wine gets a Japanese font (scripts/wine_japanese_prefix.sh);
# fonts-wine brings the symbols of the title bar.
#
# At a DPI other than 96 the prefix's display scale is set (LogPixels) and the
# desktop grows with it.
#
# Usage: scripts/windows_screenshot.sh [OUTPUT.png [DPI]]
#        (default docs/screenshot-windows.png at 96 DPI)
set -euo pipefail
cd "$(dirname "$0")/.."
output=${1:-docs/screenshot-windows.png}
dpi=${2:-96}
desktop="$((640 * dpi / 96))x$((400 * dpi / 96))"
KESTRILO_WINDOWS=1 KESTRILO_SETUP_EXTRA="imagemagick fonts-wine" bash scripts/setup.sh

cmake --preset windows >/dev/null
cmake --build --preset windows --target kestrilo win32_screenshot_driver

build=$PWD/build/windows
export WINEPREFIX=$build/wine-screenshot WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8 LC_ALL=C.UTF-8
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
bash scripts/wine_japanese_prefix.sh "$wine" "$dpi"

# A small tree: two groups of identical files and one file of its own.
sample=$WINEPREFIX/drive_c/サンプル
mkdir -p "$sample/写真" "$sample/写真のコピー" "$sample/資料"
head -c 3000 /dev/zero | tr '\0' 'A' >"$sample/写真/旅行.jpg"
cp "$sample/写真/旅行.jpg" "$sample/写真のコピー/旅行.jpg"
cp "$sample/写真/旅行.jpg" "$sample/写真のコピー/旅行 (2).jpg"
printf '会議の議事録\r\n' >"$sample/資料/議事録.txt"
cp "$sample/資料/議事録.txt" "$sample/写真のコピー/議事録のコピー.txt"
printf 'ひとつだけ\r\n' >"$sample/資料/メモ.txt"
files=('C:\サンプル\写真\旅行.jpg' 'C:\サンプル\写真のコピー\旅行.jpg' 'C:\サンプル\写真のコピー\旅行 (2).jpg'
       'C:\サンプル\資料\議事録.txt' 'C:\サンプル\写真のコピー\議事録のコピー.txt' 'C:\サンプル\資料\メモ.txt')

ready=$WINEPREFIX/drive_c/ready
cp "$build/src/win32/kestrilo.exe" "$build/tests/win32/win32_screenshot_driver.exe" "$WINEPREFIX/drive_c/"
export wine output ready desktop
xvfb-run -a -s "-screen 0 ${desktop}x24" bash -c '
  "$wine" explorer /desktop=Kestrilo,$desktop "C:\\win32_screenshot_driver.exe" "C:\\ready" "C:\\kestrilo.exe" "$@" &
  for _ in $(seq 600); do [ -e "$ready" ] && break; sleep 0.2; done
  [ -e "$ready" ] || { echo "kestrilo.exe did not get ready" >&2; wineserver -k; exit 1; }
  import -window root "$output"
  wineserver -k || true
' screenshot "${files[@]}"
echo "wrote $output"
