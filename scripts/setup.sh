#!/usr/bin/env bash
# Installs the Debian packages nephrax needs to build, test, fuzz and benchmark.
# Idempotent and non-interactive; run as root (or through sudo) on a fresh machine.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libmspack-dev mscompress
  libfreetype-dev libfontconfig-dev
  libpng-dev zlib1g-dev libjpeg62-turbo-dev libgif-dev libtiff-dev libgeotiff-dev libopenjp2-7-dev
  libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  imagemagick libvips-tools gdal-bin
  fonts-dejavu-core fonts-liberation fonts-ipafont-gothic
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
