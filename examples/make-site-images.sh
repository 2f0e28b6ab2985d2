#!/usr/bin/env bash
# Draws the sample site's images with ImageMagick and jhead (already committed;
# run again only to remake them).
set -e
cd "$(dirname "$0")/site/images"
convert=/usr/bin/convert

# PNG: stored without compression, so the PNG plug-in has plenty to save.
$convert -size 120x60 gradient:'#1A99CC-#FFFFFF' \
    -fill '#FFF5C1' -draw 'circle 30,30 30,8' -fill '#333333' -draw 'rectangle 60,20 110,40' \
    -strip -define png:compression-level=0 -define png:compression-filter=0 logo.png

# JPEG with an Exif section and a comment.
$convert -size 320x240 -seed 7 plasma:'#88AACC-#CC8844' -blur 0x2 \
    -fill '#FFFFFF' -draw 'circle 240,70 240,40' -strip -quality 85 photo.jpg
jhead -mkexif photo.jpg >/dev/null
jhead -cl "Quorvan sample photo, drawn with ImageMagick" photo.jpg >/dev/null

# GIFs: a small animation that loops, a bullet and a banner.
$convert -size 32x32 xc:white -fill '#1A99CC' -draw 'circle 16,6 16,2' \
    \( +clone -rotate 90 \) \( +clone -rotate 90 \) \( +clone -rotate 90 \) \
    -set delay 10 -loop 0 spinner.gif
$convert -size 8x8 xc:none -fill '#1A99CC' -draw 'circle 4,4 4,1' bullet.gif
$convert -size 400x80 gradient:'#1A99CC-#0A4466' -colors 64 banner.gif
