#!/usr/bin/env bash
# What the program adds to a plug-in call: FILES (100) small JPEGs (made with
# ImageMagick, each with a comment and Exif data) through the program at the
# default JPEG level ("4- Leave pure image": jhead.exe -purejpg on a copy),
# against the plug-in run directly by a shell loop on copies made beforehand
# (not timed, so the program's own copy counts as its overhead). Best wall
# and CPU time (tools included) of RUNS (5) runs each, the two in turn; the
# difference per file (aim: at most 5 ms).
#   bash bench/site/small-jpegs.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
bin="$build/bin"
runs=${RUNS:-5}
count=${FILES:-100}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/measure.sh"
command -v convert > /dev/null || { echo "ImageMagick's convert is needed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
mkdir -p "$work/jpeg"
convert -size 64x48 plasma:fractal -seed 7 -set comment "bench" "$work/seed.jpg"
for ((i = 0; i < count; i++)); do
  convert "$work/seed.jpg" -fill "rgb($((i * 37 % 256)),$((i * 91 % 256)),128)" -draw "rectangle 0,0 $((i % 60)),8" \
    -set comment "photo $i" -quality 85 "$work/jpeg/p$i.jpg"
done
# The plug-in alone, as the program calls it: jhead.exe -purejpg DESTINATION.
cat > "$work/direct.sh" << 'SCRIPT'
for f in "$2"/*.jpg; do "$1" -purejpg "$f" || exit 1; done
SCRIPT
quiet=()
supports '--quiet' && quiet=(-q)

for ((run = 0; run < runs; run++)); do
  rm -rf -- "$work/out"
  measure "$work/log" "$bin/quorvan-optimize" "${quiet[@]}" --jpeg 4 -o "$work/out" "$work/jpeg" >> "$work/ours"
  rm -rf -- "$work/copies" && cp -r "$work/jpeg" "$work/copies"
  measure "$work/log.direct" bash "$work/direct.sh" "$bin/plugins/jhead.exe" "$work/copies" >> "$work/direct"
done
written=$(find "$work/out" -name '*.jpg' | wc -l)
[ "$written" = "$count" ] || echo "only $written of $count files written: $(tail -2 "$work/log")"
cmp -s <(cd "$work/out" && cat ./*.jpg | md5sum) <(cd "$work/copies" && cat ./*.jpg | md5sum) ||
  echo "the program's results differ from the plug-in's own"

awk -v n="$count" -v w="$(best "$work/ours" 1)" -v c="$(best "$work/ours" 2)" \
  -v dw="$(best "$work/direct" 1)" -v dc="$(best "$work/direct" 2)" \
  'BEGIN { printf "%d small JPEGs through the program: %.3f s wall, %.3f s CPU\n", n, w, c
           printf "jhead.exe -purejpg on copies:       %.3f s wall, %.3f s CPU\n", dw, dc
           printf "the program adds %.2f ms wall, %.2f ms CPU a file (program / direct: wall %.2f, CPU %.2f; aim: at most 5 ms)\n",
                  1000 * (w - dw) / n, 1000 * (c - dc) / n, w / dw, c / dc }'
