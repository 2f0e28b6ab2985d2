#!/usr/bin/env bash
# The plug-ins' benches: the script plug-in per call and on whole pages, JPEG
# and PNG bytes and CPU on real files against jpegtran and optipng.
#   bash bench/plugins/run.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
cmake --build "$build" --target quorvan-optimize qwo_plugins -j2 > /dev/null
echo "-- script plug-in"
bash "$here/script-calls.sh" "$build"
echo "-- JPEG"
bash "$here/jpeg-bench.sh" "$build"
echo "-- PNG ($(bash "$here/png-corpus.sh" | wc -l) files; pngout.exe at /s3 to /s0 is levels 1 to 4)"
bash "$here/png-corpus.sh" --packages
results=$(mktemp -d)
trap 'rm -rf -- "$results"' EXIT
export PNGOUT="$build/bin/plugins/pngout.exe" OXIPNG="$build/bin/plugins/oxipng"
bash "$here/png-tools.sh" --check --best 3 "$results" optipng-o2 optipng-o2-strip adapter:3 adapter:2 adapter:1 adapter:0
echo "-- large PNGs ($(bash "$here/png-corpus.sh" --large | wc -l) files: over 100 kB under /usr/share, and screenshots)"
bash "$here/png-tools.sh" --check --large --best 3 "$results" optipng-o2 optipng-o2-strip adapter:3 adapter:2 adapter:1 adapter:0
