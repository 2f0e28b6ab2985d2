#!/usr/bin/env bash
# Large screenshots for the PNG bench: Debian's HTML manuals rendered by
# headless Chromium (text, tables and figures, as a site's screenshots are),
# made once into a cache folder; prints their paths, one a line.
#   bash bench/plugins/png-screenshots.sh
set -euo pipefail
cache=${XDG_CACHE_HOME:-$HOME/.cache}/qwo-bench/png-screenshots
mkdir -p "$cache"
pages=(
  "im-index 1920,1080 /usr/share/doc/imagemagick-6-doc/html/index.html"
  "im-options 1280,4000 /usr/share/doc/imagemagick-6-doc/html/www/command-line-options.html"
  "libxml2-faq 1600,2400 /usr/share/doc/libxml2-doc/FAQ.html"
  "libxml2-api 1920,1200 /usr/share/doc/libxml2-doc/html/index.html"
)
for page in "${pages[@]}"; do
  read -r name size path <<< "$page"
  [ -f "$path" ] || continue
  if [ ! -s "$cache/$name.png" ]; then
    timeout 120 chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size="$size" \
      --screenshot="$cache/$name.png" "file://$path" > /dev/null 2>&1 || rm -f "$cache/$name.png"
  fi
  [ -s "$cache/$name.png" ] && echo "$cache/$name.png"
done
