#!/usr/bin/env bash
# Installs everything Kwel needs to build, run and test on Debian 12.
# Idempotent and non-interactive; run as root (or through sudo).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev libqt6svg6 qt6-image-formats-plugins
  qt6-translations-l10n
  libgl-dev libssl-dev libjpeg62-turbo-dev libpugixml-dev libicu-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libx11-dev
  fonts-wqy-microhei fonts-arphic-uming xvfb xauth x11-utils imagemagick iproute2 procps desktop-file-utils
  openbox xdotool trayer ethtool
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "setup: installing ${missing[*]}"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
echo "setup: all packages present"
