#!/usr/bin/env bash
# The installer under Wine: a silent install puts both programs under Program
# Files with a Start-menu entry and an uninstall entry; the uninstaller takes
# all of it away again.
# Usage: installer_test.sh SETUP_EXE WINE
set -euo pipefail
setup=$1
wine=$2
drive=${WINEPREFIX:-$HOME/.wine}/drive_c
folder="$drive/Program Files/Kestrilo"
link="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Kestrilo/Kestrilo.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrilo'

fail() { echo "FAIL: $*" >&2; exit 1; }
waitFor() {
  for _ in $(seq 300); do eval "$1" && return 0; sleep 0.1; done
  return 1
}

"$wine" "$setup" /S
for file in kestrilo.exe kestrilo-cli.exe uninstall.exe; do
  [ -f "$folder/$file" ] || fail "$file not installed"
done
[ -f "$link" ] || fail "no Start-menu entry"
"$wine" reg query "$key" /v UninstallString | grep -q 'uninstall.exe' || fail "no uninstall entry"

# The uninstaller runs from a copy of itself and returns at once.
"$wine" "$folder/uninstall.exe" /S
waitFor '[ ! -e "$folder" ]' || fail "the program folder stays"
[ ! -e "$link" ] || fail "the Start-menu entry stays"
if "$wine" reg query "$key" >/dev/null 2>&1; then fail "the uninstall entry stays"; fi
echo "installed and uninstalled"
