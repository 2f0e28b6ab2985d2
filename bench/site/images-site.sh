# Sourced by the benches of this folder (build: the build folder): a second
# real site, heavy on PNGs and JPEGs, made once into BUILD_DIR/images-site
# (never part of the sources) from Debian packages, and sets `site` to its
# folder: ImageMagick's HTML manual (pinned, fetched; without its 50 MB of
# generated API pages), the documentation folders of installed packages that
# hold images, and every 40th icon of the Adwaita theme under 64 kB.
packages=(imagemagick-6-doc=8:6.9.11.60+dfsg-1.6+deb12u16)
copied=(doc/libjsoncpp-doc doc/libxslt1-dev doc/valgrind doc/python-jinja2-doc gtk-doc/html qt6/doc)
store="$build/images-site"
site="$store/site"
if [ "$(cat "$store/made" 2>/dev/null)" != "${packages[*]} ${copied[*]}" ]; then
  rm -rf -- "$store"
  mkdir -p "$store/debs" "$site"
  (cd "$store/debs" && apt-get download "${packages[@]}" > "$store/apt.log" 2>&1) ||
    { cat "$store/apt.log" >&2; echo "apt-get download ${packages[*]} failed" >&2; exit 1; }
  for deb in "$store"/debs/*.deb; do dpkg-deb -x "$deb" "$store/root"; done
  manual="$store/root/usr/share/doc/imagemagick-6-common/html"
  rm -rf -- "$manual/www/api"
  # Links into the rest of the system do not resolve here: copied as files
  # where they can be, dropped where not.
  (cd "$manual" && find -L . -type f -print0 2> /dev/null | xargs -0 -r cp -L --parents -t "$site" 2> /dev/null || true)
  for folder in "${copied[@]}"; do
    [ -d "/usr/share/$folder" ] || { echo "images-site.sh: /usr/share/$folder is missing (its package is not installed)" >&2; continue; }
    mkdir -p "$site/$folder"
    (cd "/usr/share/$folder" && find -L . -type f -print0 2> /dev/null | xargs -0 -r cp -L --parents -t "$site/$folder" 2> /dev/null || true)
  done
  mkdir -p "$site/icons"
  find /usr/share/icons/Adwaita -name '*.png' -size -64k | LC_ALL=C sort | awk 'NR % 40 == 1' |
    while read -r icon; do cp -- "$icon" "$site/icons/$(echo "${icon#/usr/share/icons/Adwaita/}" | tr / -)"; done
  echo "${packages[*]} ${copied[*]}" > "$store/made"
fi
