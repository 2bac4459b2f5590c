#!/usr/bin/env bash
# Installs the Debian 12 packages Tagsmith needs to build and run; with
# --tests also what the test suite needs. Does nothing when everything is
# already there.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-svg-dev libqscintilla2-qt6-dev
  # Qt WebEngine (Chromium) renders the live preview.
  qt6-webengine-dev
  libcurl4-openssl-dev
  libtidy-dev
  desktop-file-utils appstream
  fonts-dejavu-core
)
# The tests' own servers (FTP, FTP over TLS, SFTP) and tools.
test_packages=(
  libgtest-dev python3-pyftpdlib python3-openssl openssl openssh-server openssh-client
  poppler-utils
  tidy  # the check benchmark's reference run
)
[[ "${1:-}" == "--tests" ]] && packages+=("${test_packages[@]}")

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

# The tests start sshd themselves on a loopback port; the package must not
# start a system SSH server that listens on every address.
blocked_services=false
if [[ " ${missing[*]} " == *" openssh-server "* && ! -e /usr/sbin/policy-rc.d ]]; then
  printf '#!/bin/sh\nexit 101\n' | $sudo tee /usr/sbin/policy-rc.d >/dev/null
  $sudo chmod 755 /usr/sbin/policy-rc.d
  blocked_services=true
fi
status=0
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" || status=$?
if $blocked_services; then
  $sudo rm -f /usr/sbin/policy-rc.d
  # Nor at the next boot.
  $sudo systemctl disable ssh.service >/dev/null 2>&1 || true
fi
exit $status
