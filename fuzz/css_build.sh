#!/usr/bin/env bash
# Builds the CSS minifier fuzzer with clang (libFuzzer + ASan + UBSan).
# Usage: fuzz/css_build.sh [OUT_DIR]   (default: build-fuzz)
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build-fuzz}
mkdir -p "$out"
clang++ -std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined \
  -fno-sanitize-recover=undefined -I"$root" -I"$root/tests/css" \
  "$root"/compressors/text/Css{Basic,Minifier,Regrouper,StringIndex}.cpp \
  "$root"/compressors/text/TextHelpers.cpp "$root"/tests/css/CssOracle.cpp \
  "$root"/fuzz/css_minifier_fuzzer.cpp -o "$out/css_minifier_fuzzer"
echo "$out/css_minifier_fuzzer"
