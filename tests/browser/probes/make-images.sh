#!/usr/bin/env bash
# Makes the probe pictures (run in this folder; needs ImageMagick). The
# outputs are committed, so the browser test itself does not need this.
set -euo pipefail
cd "$(dirname "$0")"

# A logo on a transparent ground.
convert -size 80x40 xc:none -fill '#c33' -draw 'roundrectangle 2,2 77,37 10,10' \
  -fill white -draw 'circle 20,20 28,20' logo.gif

# Three frames of gradients that each restore their area to the background:
# only the current square shows, on a transparent ground.
convert -dispose Background -delay 40 -loop 0 \
  -page 80x80+0+0 -size 30x30 gradient:'#33c-#9cf' \
  -page 80x80+50+0 -size 30x30 gradient:'#c3c-#fcf' \
  -page 80x80+25+50 -size 30x30 gradient:'#cc3-#ff9' \
  -set dispose Background restore.gif

# A wide picture stored as it was shot, with Exif orientation 6 (turn 90
# degrees clockwise to show): an Exif segment right after the start marker.
# A long comment gives the levels that drop metadata something to drop.
convert -seed 1 -size 240x120 gradient:'#fff-#36c' -attenuate 0.3 +noise Gaussian -fill black -draw 'rectangle 0,0 40,119' -quality 95 -strip \
  -set comment "$(printf 'Shot on a phone held upright. %.0s' {1..100})" raw.jpg
{
  head -c 2 raw.jpg
  printf '\xff\xe1\x00\x22Exif\x00\x00MM\x00\x2a\x00\x00\x00\x08\x00\x01\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00\x00\x00\x00\x00'
  tail -c +3 raw.jpg
} > photo.jpg
rm raw.jpg
