#!/usr/bin/env bash
# Installs the Debian packages the game and its tests need (only those missing),
# then configures and builds into ./build.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build-essential cmake pkg-config
  libsdl2-dev libglew-dev libglm-dev libassimp-dev libfreeimage-dev libfreetype-dev libbullet-dev
  fonts-liberation2 libgl1-mesa-dri libgtest-dev
  xvfb xdotool imagemagick x11-utils)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
