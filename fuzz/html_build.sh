#!/usr/bin/env bash
# Builds the HTML scanner fuzzer with clang (libFuzzer + ASan + UBSan).
# Usage: fuzz/html_build.sh [OUT_DIR]   (default: build-fuzz)
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build-fuzz}
mkdir -p "$out"
clang++ -std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined \
  -fno-sanitize-recover=undefined -I"$root" -I"$root/tests/html" \
  "$root"/compressors/text/*.cpp "$root"/compressors/tools/*.cpp "$root"/tests/html/HtmlOracle.cpp \
  "$root"/fuzz/html_scanner_fuzzer.cpp -o "$out/html_scanner_fuzzer"
echo "$out/html_scanner_fuzzer"
