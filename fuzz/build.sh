#!/usr/bin/env bash
# Builds the GIF reader fuzzer with clang (libFuzzer + ASan + UBSan).
# Usage: fuzz/build.sh [OUT_DIR]   (default: build-fuzz)
# The pixel-memory bound is lowered to 16 MiB so that huge (legal) frames do
# not dominate the run; the bound's own checks are the same code.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build-fuzz}
mkdir -p "$out"
clang++ -std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined \
  -fno-sanitize-recover=undefined -I"$root" \
  -DQWO_GIF_MAX_PIXEL_BYTES='(16u << 20)' \
  "$root"/gif/*.cpp "$root"/fuzz/gif_reader_fuzzer.cpp -o "$out/gif_reader_fuzzer"
echo "$out/gif_reader_fuzzer"
