#!/usr/bin/env bash
# Lists the real PNGs (or, with --jpeg, JPEGs) the plug-in benches use, one
# path a line, in a fixed order: the files under 32 kB (PNG) that these
# Debian packages install, an icon theme's icons and a manual's figures sampled. With --packages,
# prints which package and version each group comes from instead. Nothing is
# copied: the files are read where the packages put them. With --large, the
# PNGs over 100 kB under /usr/share and large screenshots (png-screenshots.sh)
# instead.
#   bash bench/plugins/png-corpus.sh [--jpeg | --large] [--packages]
set -euo pipefail
export LC_ALL=C
kind=png
[ "${1:-}" = --jpeg ] && { kind=jpeg; shift; }
if [ "${1:-}" = --large ]; then
  find /usr/share -name '*.png' -size +100k 2>/dev/null | sort
  bash "$(dirname "$0")/png-screenshots.sh"
  exit 0
fi
png_packages=(imagemagick-6-doc libxml2-doc qt6-base-dev libxslt1-dev cmake-data libtasn1-doc)
jpeg_packages=(imagemagick-6-doc qt6-base-dev opencv-doc)
missing=()
[ $kind = jpeg ] && wanted=("${jpeg_packages[@]}") || wanted=(adwaita-icon-theme "${png_packages[@]}")
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "png-corpus.sh: install ${missing[*]} (apt-get install) for the same files" >&2
fi

list() {
  if [ $kind = jpeg ]; then
    # opencv-doc: its example data, and every 10th figure of its manual.
    for package in "${jpeg_packages[@]}"; do
      dpkg -L "$package" 2>/dev/null | grep -iE '\.jpe?g$' | sort | while read -r f; do [ -f "$f" ] && echo "$package $f"; done |
        awk '!/opencv4\/html/ || n++ % 10 == 0'
    done
    return
  fi
  # Every 12th full-colour icon and every 120th symbolic icon of the theme.
  dpkg -L adwaita-icon-theme 2>/dev/null | grep '\.png$' | sort | while read -r f; do
    [ -f "$f" ] && [ "$(stat -c %s "$f")" -lt 32768 ] && echo "$f"
  done | awk '/symbolic/ { if (s++ % 120 == 0) print "adwaita-icon-theme " $0; next } { if (c++ % 12 == 0) print "adwaita-icon-theme " $0 }'
  for package in "${png_packages[@]}"; do
    dpkg -L "$package" 2>/dev/null | grep '\.png$' | sort | while read -r f; do
      [ -f "$f" ] && [ "$(stat -c %s "$f")" -lt 32768 ] && echo "$package $f"
    done
  done
}

if [ "${1:-}" = --packages ]; then
  list | cut -d' ' -f1 | uniq -c | while read -r count package; do
    printf '%5d  %s %s\n' "$count" "$package" "$(dpkg-query -W -f='${Version}' "$package")"
  done
else
  list | cut -d' ' -f2-
fi
