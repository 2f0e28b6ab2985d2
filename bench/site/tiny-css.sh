#!/usr/bin/env bash
# The run's own cost per file: the program over a folder of FILES (1000) tiny
# style sheets at CSS level 2, against the same CompressCSS calls made by one
# plain loop in-process (bench_css each, built with -DQWO_BENCH=ON; without it
# only the program's per-file totals are shown). Best wall and CPU time of
# RUNS (5) runs each, the two in turn.
#   bash bench/site/tiny-css.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
bin="$build/bin"
runs=${RUNS:-5}
count=${FILES:-1000}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/measure.sh"

work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
mkdir -p "$work/css"
for ((i = 0; i < count; i++)); do
  printf '/* sheet %d */\n.box%d  {  color : #ffffff ;  margin : 0px 0px 0px 0px ; }\na:hover { color: #%06x }\n' \
    "$i" "$i" "$((i * 7919 % 16777216))" > "$work/css/s$i.css"
done
quiet=()
supports '--quiet' && quiet=(-q)
peer="$bin/bench_css"
[ -x "$peer" ] || echo "(no $peer: configure with -DQWO_BENCH=ON for the minifier's own share)"

for ((run = 0; run < runs; run++)); do
  rm -rf -- "$work/out"
  measure "$work/log" "$bin/quorvan-optimize" "${quiet[@]}" --css 2 -o "$work/out" "$work/css" >> "$work/ours"
  if [ -x "$peer" ]; then
    rm -rf -- "$work/peer" && mkdir "$work/peer"
    measure "$work/log" "$peer" each "$work/css" "$work/peer" 2 >> "$work/peer.txt"
  fi
done
written=$(find "$work/out" -name '*.css' | wc -l)
[ "$written" = "$count" ] || echo "only $written of $count files written: $(tail -2 "$work/log")"

awk -v n="$count" -v w="$(best "$work/ours" 1)" -v c="$(best "$work/ours" 2)" \
  'BEGIN { printf "%d tiny CSS files through the program: %.3f s wall, %.3f s CPU; %.3f ms wall, %.3f ms CPU a file\n", n, w, c, 1000 * w / n, 1000 * c / n }'
if [ -x "$peer" ]; then
  awk -v n="$count" -v w="$(best "$work/ours" 1)" -v c="$(best "$work/ours" 2)" \
    -v pw="$(best "$work/peer.txt" 1)" -v pc="$(best "$work/peer.txt" 2)" \
    'BEGIN { printf "the same CompressCSS calls in one loop:       %.3f s wall, %.3f s CPU\n", pw, pc
             printf "the run itself adds %.3f ms wall, %.3f ms CPU a file (program / loop: wall %.2f, CPU %.2f)\n",
                    1000 * (w - pw) / n, 1000 * (c - pc) / n, w / pw, c / pc }'
fi
