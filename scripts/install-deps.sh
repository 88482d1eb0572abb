#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail
pkgs=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6xml6 libqt6serialport6-dev qt6-serialport-dev
  libgl1-mesa-dev libfreexl-dev liborcus-dev
  srecord python3-xlwt python3-openpyxl python3-odf poppler-utils xvfb xauth x11-apps imagemagick iproute2
  libmodbus-dev
  fonts-dejavu-core clang libclang-rt-14-dev hyperfine
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
  fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
