#!/usr/bin/env bash
# Builds the fuzzers with clang (QWO_FUZZ=ON) in BUILD_DIR and runs each on its
# seed corpus for SECONDS (default 20). Exit status 1 when a fuzzer finds a
# crash, a sanitizer report, a leak or a mismatch with its reference minifier.
#   scripts/fuzz.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-fuzz}
mkdir -p "$build"
build=$(cd "$build" && pwd)
seconds=${2:-20}
corpus_dir=${QWO_CORPUS_DIR:-$root/../shared/corpus}

generator=()
[ -f "$build/CMakeCache.txt" ] || ! command -v ninja >/dev/null || generator=(-G Ninja)
cmake -S "$root" -B "$build" "${generator[@]}" -DQWO_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target gif_reader_fuzzer html_scanner_fuzzer css_minifier_fuzzer

seeds=$build/seeds
rm -rf "$seeds"
mkdir -p "$seeds/gif" "$seeds/html" "$seeds/css"
find "$corpus_dir/gif" -name '*.gif' -exec cp {} "$seeds/gif/" \; 2>/dev/null || true
# The HTML fuzzer's first byte picks the levels (3: level 2, CSS level 1).
for page in "$root"/tests/html/data/*.html "$root"/examples/site/*.html; do
  { printf '\003'; cat "$page"; } >"$seeds/html/$(basename "$page")"
done
cp "$root"/tests/css/data/*.css "$root"/examples/site/css/*.css "$seeds/css/"

run() {
  local name=$1 corpus=$2
  shift 2
  echo "== $name: ${seconds} s on $(ls "$corpus" | wc -l) seeds"
  (cd "$build" && "$build/bin/$name" "$corpus" -max_total_time="$seconds" -print_final_stats=1 "$@" 2>"$build/$name.log") ||
    { tail -n 40 "$build/$name.log"; return 1; }
  grep -E '^stat::number_of_executed_units' "$build/$name.log" || true
}
status=0
run gif_reader_fuzzer "$seeds/gif" -max_len=65536 -timeout=30 || status=1
run html_scanner_fuzzer "$seeds/html" -max_len=4096 || status=1
run css_minifier_fuzzer "$seeds/css" -max_len=512 || status=1
exit $status
