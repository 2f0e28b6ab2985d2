# Sourced by the benches of this folder (build: the build folder): fetches the
# bench site, Debian's documentation of libxml2 and git, pinned, once into
# BUILD_DIR/bench-site (never part of the sources), and sets `site` to its folder.
packages=(libxml2-doc=2.9.14+dfsg-1.3~deb12u6 git-doc=1:2.39.5-0+deb12u3)
store="$build/bench-site"
site="$store/root/usr/share/doc"
if [ "$(cat "$store/packages" 2>/dev/null)" != "${packages[*]}" ]; then
  rm -rf -- "$store"
  mkdir -p "$store/debs"
  (cd "$store/debs" && apt-get download "${packages[@]}" > "$store/apt.log" 2>&1) ||
    { cat "$store/apt.log" >&2; echo "apt-get download ${packages[*]} failed" >&2; exit 1; }
  for deb in "$store"/debs/*.deb; do dpkg-deb -x "$deb" "$store/root"; done
  echo "${packages[*]}" > "$store/packages"
fi
