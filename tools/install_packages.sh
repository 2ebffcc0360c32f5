#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs (with sudo when not root);
# does nothing when every one is installed already.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-charts-dev qt6-translations-l10n
  libfluidsynth-dev libasound2-dev timgm6mb-soundfont
  libcurl4-openssl-dev libasio-dev libcpp-httplib-dev
  libgtest-dev libgmock-dev libbenchmark-dev clang-format-14
  liblz4-dev zlib1g-dev
  fonts-dejavu-core fonts-liberation2
  xvfb openbox x11-utils xdotool
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
