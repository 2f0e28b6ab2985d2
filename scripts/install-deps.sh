#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, test and run the program.
set -e
packages=(
  cmake g++ make pkg-config python3
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  jhead libjpeg-turbo-progs optipng zopfli nodejs node-terser util-linux
  gifsicle giflib-tools libgif-dev imagemagick
  clang libclang-rt-14-dev
  xvfb xauth fonts-wine time
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}"
