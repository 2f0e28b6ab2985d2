#!/usr/bin/env bash
# First and second --incremental run of a real documentation site (Debian's
# git-doc: its HTML pages, images and scripts) at the default levels and
# workers; prints both wall times and the second as a share of the first
# (target: at most 5%).
#   bash bench/incremental/run.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
program="$build/bin/quorvan-optimize"
[ -x "$program" ] || cmake --build "$build" --target quorvan-optimize -j2

# The package is fetched once into the build folder and unpacked there.
cache="$build/bench-sites"
site="$cache/git-doc/usr/share/doc/git-doc"
if [ ! -d "$site" ]; then
  mkdir -p "$cache"
  (cd "$cache" && apt-get download git-doc >/dev/null)
  dpkg-deb -x "$cache"/git-doc_*.deb "$cache/git-doc"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "site: $site ($(du -sbL "$site" | cut -f1) bytes)"

now() { date +%s.%N; }
run() {
  local start end
  start=$(now)
  "$program" --incremental -q -o "$work/out" --json "$work/$1.json" "$site"
  end=$(now)
  echo "$end - $start" | bc
}
first=$(run first)
second=$(run second)
reused=$(grep -c '"status": "reused"' "$work/second.json" || true)
files=$(grep -c '"source": ' "$work/second.json" || true)
echo "first run:  ${first} s"
echo "second run: ${second} s ($reused of $files files reused)"
echo "ratio: $(echo "scale=2; 100 * $second / $first" | bc)% (target: at most 5%)"
