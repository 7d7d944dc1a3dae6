#!/bin/sh
# Installs what building and testing Tovanel needs on Debian 12, skipping
# what is already there. Run as root (or through sudo).
set -eu

PACKAGES="g++ cmake ninja-build pkg-config git
qt6-base-dev libgl-dev
libgtest-dev libgmock-dev libbenchmark-dev
libfribidi-dev
culmus fonts-dejavu-core fonts-noto-core
xvfb xauth
librsvg2-bin desktop-file-utils appstream dpkg-dev file"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -n "$missing" ]; then
    echo "Installing:$missing"
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
