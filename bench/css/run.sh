#!/usr/bin/env bash
# CSS minifier benchmark: throughput of levels 1 and 2 on real and generated
# style sheets (1, 10, 100 MB), the peers esbuild, lightningcss and clean-css
# on the same files in the same run, and peak memory against input size.
#   bench/css/run.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bench="$build/bin/bench_css"
if [ ! -x "$bench" ]; then
  echo "missing $bench: configure with -DQWO_BENCH=ON and build the target bench_css" >&2
  exit 1
fi

# Peers pinned in bench/package.json, installed once into bench/node_modules.
have_peers=1
if ! peers=$(bash "$here/../peers.sh"); then
  echo "(peers could not be installed from npm; measuring this program only)"
  have_peers=0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

files=()
for f in "$root"/tests/css/data/*.css "$root"/examples/site/css/*.css; do
  [ -f "$f" ] && files+=("$f")
done
for mb in 1 10 100; do
  "$bench" generate "$mb" "$work/flat-${mb}MB.css" flat
  files+=("$work/flat-${mb}MB.css")
done
"$bench" generate 10 "$work/long-10MB.css" long
"$bench" generate 10 "$work/mixed-10MB.css" mixed
files+=("$work/long-10MB.css" "$work/mixed-10MB.css")

echo "Throughput (in memory, best run; flat = level 2 regroups, long = regrouping would grow it, mixed = has @media)"
for f in "${files[@]}"; do
  "$bench" speed "$f"
  if [ "$have_peers" = 1 ]; then
    node "$here/peers.js" "$peers" "$f"
  fi
done

echo
echo "Peak memory of one CompressCSS call (maximum resident set size; net = less the"
echo "program's own footprint, measured on an empty file)"
peak_kb() { /usr/bin/time -f '%M' "$bench" compress "$1" "$work/out.css" "$2" 2>&1 >/dev/null | tail -1; }
: > "$work/empty.css"
base=$(peak_kb "$work/empty.css" 2)
printf '%-20s %6s %10s %10s %8s %8s\n' file level "input MB" "peak MB" ratio "net"
for f in "$work"/flat-*MB.css "$work/long-10MB.css"; do
  size=$(stat -c %s "$f")
  for level in 1 2; do
    kb=$(peak_kb "$f" "$level")
    awk -v n="$(basename "$f")" -v l="$level" -v s="$size" -v k="$kb" -v b="$base" \
      'BEGIN { printf "%-20s %6d %10.1f %10.1f %8.2f %8.2f\n", n, l, s / 1e6, k * 1024 / 1e6, k * 1024 / s, (k - b) * 1024 / s }'
  done
done
