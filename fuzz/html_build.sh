#!/usr/bin/env bash
# Builds the HTML scanner fuzzer with clang (libFuzzer + ASan + UBSan).
# Usage: fuzz/html_build.sh [OUT_DIR]   (default: build-fuzz)
set -e
. "$(dirname "$0")/fuzzer.sh"
build_fuzzer html_scanner_fuzzer "${1:-}" -I"$root/tests/html" \
  "$root"/compressors/text/*.cpp "$root"/compressors/tools/*.cpp "$root"/tests/html/HtmlOracle.cpp
