#!/usr/bin/env bash
# HTML minifier throughput (MB/s) and peak memory, with the npm peers side by side.
#   bash bench/html/run.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
bin="$build/bin/bench_html"
[ -x "$bin" ] || cmake --build "$build" --target bench_html -j2

# Peers pinned in bench/package.json, installed once into bench/node_modules.
peers=$(bash "$here/../peers.sh")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for mb in 1 10 100; do "$bin" generate "$mb" "$work/generated-${mb}mb.html"; done
samples=("$source_dir"/tests/html/data/*.html)
generated=("$work"/generated-1mb.html "$work"/generated-10mb.html "$work"/generated-100mb.html)

echo "-- ours: level 1, and level 2 with CSS level 2 and JS level 0"
for file in "${samples[@]}" "${generated[@]}"; do
  "$bin" speed "$file" 1 0 0
  "$bin" speed "$file" 2 0 2
done

echo "-- ours: pages built against look-ahead searches, 1 and 10 MB (linear: the same MB/s)"
for kind in tags style comments endtags lowercase rawtext; do
  for mb in 1 10; do
    "$bin" adversarial "$kind" "$mb" "$work/adversarial-$kind-${mb}mb.html"
    "$bin" speed "$work/adversarial-$kind-${mb}mb.html" 2 0 2
  done
  rm -f "$work"/adversarial-"$kind"-*.html
done

echo "-- ours: what scripts cost at level 2 (real plug-in; each script goes through two temporary files)"
for file in "${samples[@]}"; do
  scripts=$(grep -o '<script' "$file" | wc -l)
  echo "$(basename "$file"): $scripts script elements"
  "$bin" speed "$file" 2 0 2
  "$bin" speed "$file" 2 3 2
done

echo "-- peers (in-process in Node.js $(node --version))"
for file in "${samples[@]}" "$work/generated-1mb.html" "$work/generated-10mb.html"; do
  node "$here/peers.js" "$peers" "$file"
done
node --max-old-space-size=4096 "$here/peers.js" "$peers" "$work/generated-100mb.html" fast

echo "-- peak memory, file to file, 100 MB page"
for levels in "1 0 0" "2 0 2"; do
  # shellcheck disable=SC2086
  /usr/bin/time -v "$bin" compress "$work/generated-100mb.html" "$work/out.html" $levels 2> "$work/time.txt"
  rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
  size=$(stat -c %s "$work/generated-100mb.html")
  awk -v rss="$rss" -v size="$size" -v levels="$levels" \
    'BEGIN { printf "levels %s: peak RSS %.1f MB for a %.1f MB page (%.2fx)\n", levels, rss/1024, size/1e6, rss*1024/size }'
done
