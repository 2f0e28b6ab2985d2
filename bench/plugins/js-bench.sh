#!/usr/bin/env bash
# Scripts against esbuild, bytes and CPU (user+sys of the whole process tree,
# the detached script server included: every run goes under subreaper.py),
# best of 3, on the JavaScript files that Debian packages install under
# /usr/share (1 kB to 400 kB, minified ones included; node_modules trees and
# MathJax left out):
#   - one run of the program over all the files at --js 3 against one
#     "esbuild --minify-whitespace", and at --js 4 against "esbuild --minify";
#   - a one-file run (a 4.5 kB script) against the same run at --js 0 (a copy).
#   bash bench/plugins/js-bench.sh BUILD_DIR [RUNS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-3}
bin="$build/bin"
here=$(cd "$(dirname "$0")" && pwd)
esbuild="$bin/plugins/esbuild"
[ -x "$esbuild" ] || { echo "no $esbuild: run scripts/install-deps.sh (npm) and rebuild" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT

# The corpus, one folder, each file under a name of its own (MathJax's
# thousands of small files left out: a couple of hundred scripts is the aim).
find /usr/share -name '*.js' -type f -size +1k -size -400k -not -path '*/node_modules/*' \
  -not -path '/usr/share/javascript/mathjax/*' 2>/dev/null | sort > "$work/list.txt"
mkdir "$work/corpus"
node -e '
const fs = require("fs"), path = require("path");
const [list, folder] = process.argv.slice(1);
fs.readFileSync(list, "utf8").trim().split("\n").forEach((file, i) =>
  fs.copyFileSync(file, path.join(folder, String(i + 1).padStart(4, "0") + "-" + path.basename(file))));
' "$work/list.txt" "$work/corpus"
packages=$(xargs dpkg -S < "$work/list.txt" 2>/dev/null | cut -d: -f1 | sort -u | wc -l)
echo "corpus: $(wc -l < "$work/list.txt") files, $(du -cb "$work"/corpus/*.js | tail -1 | cut -f1) bytes, from $packages Debian packages"

# Best of $runs: "CPU_SECONDS" of the command under the subreaper.
best_cpu() {
  local best=""
  for ((i = 0; i < runs; i++)); do
    rm -rf "$work/out"
    /usr/bin/time -f "%U %S" -o "$work/time.txt" python3 "$here/subreaper.py" "$@" > /dev/null 2>&1 || true
    cpu=$(awk '{ printf "%.3f", $1 + $2 }' "$work/time.txt")
    if [ -z "$best" ] || awk -v a="$cpu" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$cpu; fi
  done
  echo "$best"
}
bytes() { du -cb "$1"/*.js | tail -1 | cut -f1; }

printf '%-8s %12s %8s %12s %8s %10s %10s\n' level "our bytes" "our CPU" "peer bytes" "peer CPU" "bytes/peer" "CPU/peer"
for pair in "3:--minify-whitespace" "4:--minify"; do
  level=${pair%%:*}
  flag=${pair#*:}
  ours=$(best_cpu "$bin/quorvan-optimize" -j 2 --js "$level" -o "$work/out" "$work/corpus")
  our_bytes=$(bytes "$work/out")
  peer=$(best_cpu "$esbuild" "$flag" --log-level=error --outdir="$work/out" "$work"/corpus/*.js)
  peer_bytes=$(bytes "$work/out")
  awk -v l="$level ($flag)" -v ob="$our_bytes" -v oc="$ours" -v pb="$peer_bytes" -v pc="$peer" \
    'BEGIN { printf "%-8s %12d %7.2fs %12d %7.2fs %10.3f %10.2f\n", substr(l, 1, 1), ob, oc, pb, pc, ob / pb, oc / pc }'
done
echo "(peer: esbuild $("$esbuild" --version) --minify-whitespace at 3, --minify at 4, one process for all files)"

one=/usr/share/javascript/sphinxdoc/1.0/doctools.js
[ -f "$one" ] || one=$(ls "$work"/corpus/*.js | head -1)
mkdir "$work/one"
cp "$one" "$work/one/one.js"
copy=$(best_cpu "$bin/quorvan-optimize" --js 0 -o "$work/out" "$work/one/one.js")
minified=$(best_cpu "$bin/quorvan-optimize" -o "$work/out" "$work/one/one.js")
awk -v c="$copy" -v m="$minified" -v s="$(stat -c %s "$one")" \
  'BEGIN { printf "one file (%d bytes): --js 0 %.0f ms CPU, --js 3 %.0f ms CPU: %.0f ms over the copy\n", s, c * 1000, m * 1000, (m - c) * 1000 }'
