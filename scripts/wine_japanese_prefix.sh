#!/usr/bin/env bash
# Makes a new Wine prefix at WINEPREFIX for the documentation's screenshots,
# in which Japanese text shows: IPAPGothic (fonts-ipafont-gothic) stands in
# for "ＭＳ Ｐゴシック" and for the faces of menus and dialogs, the symbols of
# the title bar are drawn (Marlett, from fonts-wine), and the display is at
# DPI dots per inch (LogPixels).
#
# Usage: scripts/wine_japanese_prefix.sh WINE [DPI]   (default 96)
set -euo pipefail
wine=$1
dpi=${2:-96}
rm -rf "$WINEPREFIX"
DISPLAY= "$wine" wineboot --init
DISPLAY= wineserver -w || true
# Wine draws the title bar's buttons in Marlett, which it finds only among the
# prefix's own fonts.
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"

# The font table of Wine: a face asked for by name is replaced by IPAPGothic.
python3 - "$WINEPREFIX/drive_c/fonts.reg" <<'PY'
import sys
faces = ["ＭＳ Ｐゴシック", "MS PGothic", "ＭＳ ゴシック", "MS UI Gothic", "Tahoma", "MS Shell Dlg", "MS Shell Dlg 2"]
lines = ["Windows Registry Editor Version 5.00", "", r"[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]"]
lines += ['"%s"="IPAPGothic"' % face for face in faces]
lines += ["", r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]"]
lines += ['"%s"="IPAPGothic"' % face for face in faces]
open(sys.argv[1], "w", encoding="utf-16").write("\r\n".join(lines) + "\r\n")
PY
DISPLAY= "$wine" regedit /S 'C:\fonts.reg'
for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
  DISPLAY= "$wine" reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f
done
DISPLAY= wineserver -w || true
