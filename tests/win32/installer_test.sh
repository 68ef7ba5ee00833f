#!/usr/bin/env bash
# The installer under Wine: a silent install puts both programs, the read-me
# and the licence under Program Files with a Start-menu entry and an uninstall
# entry that names the publisher, the version and the size; the installer and
# the installed programs carry the project's version and their manifests; the
# uninstaller takes all of it away again.
# Usage: installer_test.sh SETUP_EXE WINE VERSION_READER VERSION VERSION_QUAD PUBLISHER
set -euo pipefail
setup=$1
wine=$2
reader=$3
version=$4
quad=$5
publisher=$6
drive=${WINEPREFIX:-$HOME/.wine}/drive_c
folder="$drive/Program Files/Kestrilo"
windows_folder='C:\Program Files\Kestrilo'
menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Kestrilo"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrilo'
own_key='HKLM\Software\Kestrilo'

fail() { echo "FAIL: $*" >&2; exit 1; }
waitFor() {
  for _ in $(seq 300); do eval "$1" && return 0; sleep 0.1; done
  return 1
}
# The data of one registry value: `reg query` prints "    NAME    TYPE    DATA".
value() {
  "$wine" reg query "$uninstall_key" /v "$1" | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}
# The resources of FILE (a Windows path) as Windows reads them.
resources() { "$wine" "$reader" "$1" | tr -d '\r'; }
expectLine() {
  grep -qxF -- "$2" <<<"$1" || fail "$3: no line '$2' in:"$'\n'"$1"
}
expectText() {
  grep -qF -- "$2" <<<"$1" || fail "$3: the manifest lacks $2"
}

"$wine" "$setup" /S
for file in kestrilo.exe kestrilo-cli.exe README-ja.txt LICENSE.txt uninstall.exe; do
  [ -f "$folder/$file" ] || fail "$file not installed"
done
head -c 3 "$folder/README-ja.txt" | cmp -s - <(printf '\357\273\277') || fail "the read-me has no byte-order mark"
grep -q $'MIT License\r$' "$folder/LICENSE.txt" || fail "the licence is not the MIT licence with CR LF line ends"
[ -f "$menu/Kestrilo.lnk" ] || fail "no Start-menu entry"

value UninstallString | grep -q 'uninstall.exe' || fail "no uninstall entry"
[ "$(value Publisher)" = "$publisher" ] || fail "publisher '$(value Publisher)', not '$publisher'"
[ "$(value DisplayVersion)" = "$version" ] || fail "version '$(value DisplayVersion)', not '$version'"
# The size in KiB: at least what the two programs take.
size=$(value EstimatedSize)
programs=$((($(stat -c %s "$folder/kestrilo.exe" "$folder/kestrilo-cli.exe" | paste -sd+)) / 1024))
[[ "$size" =~ ^0x[0-9a-fA-F]+$ ]] && [ $((size)) -ge "$programs" ] ||
  fail "estimated size '$size' below the programs' $programs KiB"

# Version information and manifests, as Windows reads them: the installer's
# and each program's own.
checkVersion() {
  local info
  info=$(resources "$1") || fail "no version information or manifest in $1"
  expectLine "$info" "FixedFileVersion=$quad" "$1"
  expectLine "$info" "FixedProductVersion=$quad" "$1"
  expectLine "$info" "FileVersion=$quad" "$1"
  expectLine "$info" "ProductVersion=$version" "$1"
  expectLine "$info" "ProductName=Kestrilo" "$1"
  expectLine "$info" "CompanyName=$publisher" "$1"
  printf '%s\n' "$info"
}
checkVersion "Z:${setup//\//\\}" >/dev/null
for file in kestrilo.exe kestrilo-cli.exe; do
  info=$(checkVersion "$windows_folder\\$file")
  expectLine "$info" "OriginalFilename=$file" "$file"
  # Windows 10 and 11; paths longer than MAX_PATH.
  expectText "$info" 'supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"' "$file"
  expectText "$info" '<longPathAware xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">true</longPathAware>' "$file"
  if [ "$file" = kestrilo.exe ]; then
    # The window scales itself: per monitor, and common controls 6.
    expectText "$info" '<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2</dpiAwareness>' "$file"
    expectText "$info" '>true/pm</dpiAware>' "$file"
    expectText "$info" 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' "$file"
  fi
done

# The uninstaller runs from a copy of itself and returns at once.
"$wine" "$folder/uninstall.exe" /S
waitFor '[ ! -e "$folder" ]' || fail "the program folder stays: $(ls "$folder")"
[ ! -e "$menu" ] || fail "the Start-menu folder stays"
for key in "$uninstall_key" "$own_key"; do
  if "$wine" reg query "$key" >/dev/null 2>&1; then fail "the registry key $key stays"; fi
done
echo "installed version $version ($quad) of $publisher, $size KiB, and uninstalled"
