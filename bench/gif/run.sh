#!/usr/bin/env bash
# GIF engine benchmark: bench/gif/run.sh BUILD_DIR
set -e
build=${1:-build}
"$build/bin/gif_bench"
