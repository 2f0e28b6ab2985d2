#!/bin/bash
# Measures pngout.exe's levels /s3../s0 on five PNGs made with ImageMagick
# (photo-like, noisy gradient, screenshot-like flat colours, palette, alpha):
# total saving, CPU seconds (user+sys of the adapter and its tools), and a
# check that every result decodes to the same pixels.
# Usage: plugins/measure-png-levels.sh [PNGOUT] (default: beside this script)
set -euo pipefail
pngout=$(realpath -- "${1:-$(dirname -- "$0")/pngout.exe}")
work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
cd "$work"

lines=""
for y in $(seq 80 14 720); do lines+="rectangle 40,$y $((200 + (y * 37) % 350)),$((y + 7)) "; done
convert -seed 7 -size 640x480 plasma:fractal -blur 0x1.5 -depth 8 photo.png
convert -size 800x600 gradient:'#1a3c7a'-'#f5d36a' -seed 3 -attenuate 0.3 +noise Uniform -depth 8 gradient.png
convert -size 1024x768 xc:'#f0f0f0' -fill '#3366cc' -draw 'rectangle 0,0 1023,40' -fill white \
    -draw 'rectangle 20,60 600,740' -fill '#dddddd' -draw 'rectangle 620,60 1000,740' -fill '#333333' \
    -draw "$lines" -fill '#cc3333' -draw 'circle 800,300 860,300' -depth 8 screen.png
convert photo.png -colors 64 PNG8:palette.png
convert -size 256x256 xc:none -fill '#2a7ae2c0' -draw 'circle 128,128 128,20' -fill white \
    -draw 'rectangle 90,110 166,146' -depth 8 alpha.png
images=(photo gradient screen palette alpha)

printf '%-6s %10s %10s %8s %9s  %s\n' level before after saved "cpu (s)" "per image"
for strength in 3 2 1 0; do
    before=0 after=0 per=""
    TIMEFORMAT='%U %S'
    cpu=$( { time for image in "${images[@]}"; do
                 "$pngout" /y /q /s$strength "$image.png" "$image-s$strength.png" 2>/dev/null
             done; } 2>&1 )
    for image in "${images[@]}"; do
        a=$(stat -c %s "$image.png") b=$(stat -c %s "$image-s$strength.png")
        before=$((before + a)) after=$((after + b))
        per+=" $image $(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.1f%%", 100 * (a - b) / a }')"
        cmp -s <(convert "$image.png" rgba:-) <(convert "$image-s$strength.png" rgba:-) ||
            per+=" (PIXELS DIFFER)"
    done
    awk -v s="/s$strength" -v a="$before" -v b="$after" -v c="$cpu" -v p="$per" \
        'BEGIN { split(c, t, " "); printf "%-6s %10d %10d %7.2f%% %9.1f %s\n", s, a, b, 100 * (a - b) / a, t[1] + t[2], p }'
done
