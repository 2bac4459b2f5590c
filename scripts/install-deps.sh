#!/usr/bin/env bash
# Installs the Debian 12 packages Tagsmith needs to build, run and test.
# Does nothing when everything is already there.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-svg-dev libqscintilla2-qt6-dev
  libcurl4-openssl-dev
  desktop-file-utils appstream
  libgtest-dev python3-pyftpdlib python3-openssl openssl openssh-server openssh-client
  fonts-dejavu-core poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
