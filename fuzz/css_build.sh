#!/usr/bin/env bash
# Builds the CSS minifier fuzzer with clang (libFuzzer + ASan + UBSan).
# Usage: fuzz/css_build.sh [OUT_DIR]   (default: build-fuzz)
set -e
. "$(dirname "$0")/fuzzer.sh"
build_fuzzer css_minifier_fuzzer "${1:-}" -I"$root/tests/css" \
  "$root"/compressors/text/Css{Basic,Minifier,Regrouper,StringIndex}.cpp \
  "$root"/compressors/text/TextHelpers.cpp "$root"/tests/css/CssOracle.cpp
