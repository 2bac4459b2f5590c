#!/usr/bin/env bash
# Installs the build into a temporary root, with a prefix and with DESTDIR, and
# checks the desktop files with the desktop's own validators.
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

check() {
  local usr=$1
  test -x "$usr/bin/tagsmith"
  test -s "$usr/share/icons/hicolor/scalable/apps/tagsmith.svg"
  desktop-file-validate "$usr/share/applications/tagsmith.desktop"
  grep -qx 'Exec=tagsmith %f' "$usr/share/applications/tagsmith.desktop"
  grep -qx 'Icon=tagsmith' "$usr/share/applications/tagsmith.desktop"
  appstreamcli validate --no-net "$usr/share/metainfo/org.quillon.tagsmith.metainfo.xml"
}

cmake --install "$build" --prefix "$root/prefix" >/dev/null
check "$root/prefix"
DESTDIR="$root/dest" cmake --install "$build" --prefix /usr >/dev/null
check "$root/dest/usr"
echo "installed files valid"
