#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test Velmora.
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev qt6-webengine-dev qt6-tools-dev libgl-dev fonts-dejavu-core
    qt6-translations-l10n qt6-image-formats-plugins libqt6svg6 xvfb xauth desktop-file-utils openssl
    openbox x11-xserver-utils x11-utils libxcb1-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
fi
