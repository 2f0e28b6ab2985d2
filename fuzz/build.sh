#!/usr/bin/env bash
# Builds the GIF reader fuzzer with clang (libFuzzer + ASan + UBSan).
# Usage: fuzz/build.sh [OUT_DIR]   (default: build-fuzz)
# The pixel-memory bound is lowered to 16 MiB so that huge (legal) frames do
# not dominate the run; the bound's own checks are the same code.
set -e
. "$(dirname "$0")/fuzzer.sh"
build_fuzzer gif_reader_fuzzer "${1:-}" -DQWO_GIF_MAX_PIXEL_BYTES='(16u << 20)' "$root"/gif/*.cpp
