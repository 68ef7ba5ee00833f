#!/usr/bin/env bash
# Builds the Debian package (build/package/kestrilo_<version>_amd64.deb) with
# Debian's hardening flags and checks it: lintian, desktop-file-validate and
# appstreamcli validate must report no error and no warning.
#
#   scripts/package.sh [BUILD_FOLDER]
#
# With BUILD_FOLDER (a configured and built folder, as CI has one), the package
# is made from that build instead, which takes seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

build="${1:-}"
if [ -z "$build" ]; then
  build=build/package
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  cmake --preset package \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
  cmake --build --preset package -j "$(nproc)" --target kestrilo kestrilo-cli kestrilo_documents
fi
rm -f "$build"/kestrilo_*.deb
cpack --config "$build/CPackConfig.cmake" -B "$build" >/dev/null
deb=$(ls "$build"/kestrilo_*.deb)
echo "built $deb"

status=0
contents=$(mktemp -d)
readable=$(mktemp -d /tmp/kestrilo-lintian.XXXXXX)
trap 'rm -rf "$contents" "$readable"' EXIT
echo "== lintian"
# lintian advises against running as root; an unprivileged user reads the
# package just as well. The checkout may lie where that user cannot go (such
# as /root), so the user gets a copy in a folder of its own and starts there.
if [ "$(id -u)" -eq 0 ]; then
  install -m 644 "$deb" "$readable/"
  chmod 755 "$readable"
  (cd "$readable" && runuser -u nobody -- env HOME=/tmp TMPDIR=/tmp \
    lintian --fail-on error,warning --display-info "$(basename "$deb")") || status=1
else
  lintian --fail-on error,warning --display-info "$deb" || status=1
fi
# The desktop entry and the AppStream file as the package holds them.
dpkg-deb -x "$deb" "$contents"
echo "== desktop-file-validate"
desktop-file-validate "$contents"/usr/share/applications/*.desktop || status=1
echo "== appstreamcli validate"
appstreamcli validate --no-net --pedantic "$contents"/usr/share/metainfo/*.metainfo.xml || status=1
exit "$status"
