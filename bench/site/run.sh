#!/usr/bin/env bash
# Whole runs: a real site at -j 1 and -j 2, the run's cost per tiny file, and
# what the program adds to a plug-in call.
#   bash bench/site/run.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
targets=(quorvan-optimize qwo_plugins)
grep -q 'QWO_BENCH:BOOL=ON' "$build/CMakeCache.txt" && targets+=(bench_css)
cmake --build "$build" --target "${targets[@]}" -j2 > /dev/null
echo "-- a real site"
bash "$here/site.sh" "$build"
echo "-- the image check"
bash "$here/verify-cost.sh" "$build"
echo "-- tiny CSS files"
bash "$here/tiny-css.sh" "$build"
echo "-- small JPEGs"
bash "$here/small-jpegs.sh" "$build"
