#!/usr/bin/env bash
# Installs, from Debian's packages, everything Kestrilo needs to build, test
# and run. Installs only what is missing; needs root (or sudo) for that.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  clang libclang-rt-14-dev clang-format clang-tidy
  googletest libgtest-dev libgmock-dev
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
  libxxhash-dev liburing-dev
  fonts-ipafont-gothic
  xvfb xauth
  python3
  dpkg-dev lintian desktop-file-utils appstream
  # The format check asks git which files are sources.
  git
)
# The Windows build: mingw-w64 (posix threads), Wine to run its tests, NSIS
# for its installer.
# Wanted by KESTRILO_WINDOWS=1 and by the full CI run (KESTRILO_SANITIZERS=1).
if [ "${KESTRILO_WINDOWS:-0}" = "1" ] || [ "${KESTRILO_SANITIZERS:-0}" = "1" ]; then
  packages+=(g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev wine wine64 nsis)
fi
if [ "${KESTRILO_SETUP_EXTRA:-}" != "" ]; then
  read -r -a extra <<<"$KESTRILO_SETUP_EXTRA"
  packages+=("${extra[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
