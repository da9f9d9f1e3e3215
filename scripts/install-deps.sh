#!/usr/bin/env bash
# Installs the Debian 12 packages Tarvel needs to build, run and test. Only
# what is missing is installed, so running it again is quick.
set -euo pipefail
packages=(
  g++ cmake make pkg-config
  libwxgtk3.2-dev libtinyxml-dev libhpdf-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xauth fonts-wqy-microhei libxml2-utils
  libpng-dev libjpeg-dev fonts-dejavu-core fonts-urw-base35 poppler-utils poppler-data qpdf
  binutils srecord libusb-1.0-0-dev libx11-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
