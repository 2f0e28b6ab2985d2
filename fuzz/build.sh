#!/usr/bin/env bash
# Builds the GIF reader fuzzer with clang (libFuzzer + ASan + UBSan).
# Usage: fuzz/build.sh [OUT_DIR]   (default: build-fuzz)
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build-fuzz}
mkdir -p "$out"
clang++ -std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined \
  -fno-sanitize-recover=undefined -I"$root" \
  "$root"/gif/*.cpp "$root"/fuzz/gif_reader_fuzzer.cpp -o "$out/gif_reader_fuzzer"
echo "$out/gif_reader_fuzzer"
