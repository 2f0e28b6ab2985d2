#!/usr/bin/env bash
# JPEG bytes and CPU (user+sys, of every process) of jhead.exe at its levels,
# before (BEFORE=path of the old jhead.exe, optional) and now, beside
# "jpegtran -optimize -copy icc" on the real JPEGs of png-corpus.sh --jpeg
# (with --all: every JPEG under /usr/share, each content once). Each run is
# one process per file, started by one shell loop for all files; the adapter
# works in place on copies made before the clock starts. Best CPU of RUNS (3)
# runs; every result of ours is checked to decode to the source's pixels
# (djpeg).
#   bash bench/plugins/jpeg-bench.sh BUILD_DIR [--all]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
runs=${RUNS:-3}
if [ "${2:-}" = --all ]; then
  mapfile -t files < <(find /usr/share -type f \( -iname '*.jpg' -o -iname '*.jpeg' \) -print0 | sort -z |
    xargs -0 md5sum | awk '!seen[$1]++ { print substr($0, 35) }')
else
  mapfile -t files < <(bash "$here/png-corpus.sh" --jpeg)
  bash "$here/png-corpus.sh" --jpeg --packages
fi
[ ${#files[@]} -gt 0 ] || { echo "no JPEGs found" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT

# run NAME MODE COMMAND...: MODE "pair" appends DESTINATION SOURCE to COMMAND,
# "inplace" the destination, a copy of the source made beforehand.
# Prints the name, bytes and best CPU; leaves the CPU in $work/NAME.cpu.
run() {
  local name=$1 mode=$2
  shift 2
  local best="" cpu
  for ((r = 0; r < runs; r++)); do
    rm -rf -- "$work/$name" && mkdir -p "$work/$name"
    if [ "$mode" = inplace ]; then
      local i=0
      for f in "${files[@]}"; do i=$((i + 1)); cp -- "$f" "$work/$name/$i.jpg"; done
    fi
    cpu=$(/usr/bin/time -f '%U %S' bash -c '
      dir=$1 mode=$2; shift 2; i=0; command=(); while [ "$1" != -- ]; do command+=("$1"); shift; done; shift
      for f in "$@"; do
        i=$((i + 1))
        if [ "$mode" = inplace ]; then "${command[@]}" "$dir/$i.jpg"; else "${command[@]}" "$dir/$i.jpg" "$f"; fi >/dev/null 2>&1 || true
      done
    ' _ "$work/$name" "$mode" "$@" -- "${files[@]}" 2>&1 >/dev/null | tail -1 | awk '{ print $1 + $2 }')
    [ -z "$best" ] || awk -v a="$cpu" -v b="$best" 'BEGIN { exit !(a < b) }' && best=$cpu
  done
  echo "$best" > "$work/$name.cpu"
  local total_in=0 total_out=0 bad=0 i=0
  for f in "${files[@]}"; do
    i=$((i + 1))
    a=$(stat -c %s "$f") b=$a
    [ -s "$work/$name/$i.jpg" ] && b=$(stat -c %s "$work/$name/$i.jpg")
    if [ "$mode" = inplace ]; then
      cmp -s <(djpeg -pnm "$f" 2>/dev/null) <(djpeg -pnm "$work/$name/$i.jpg" 2>/dev/null) || bad=$((bad + 1))
    fi
    total_in=$((total_in + a)) total_out=$((total_out + b))
  done
  echo "$total_out" > "$work/$name.bytes"
  awk -v n="$name" -v c="${#files[@]}" -v a="$total_in" -v b="$total_out" -v t="$best" -v bad="$bad" \
    'BEGIN { printf "%-30s %4d files %10d -> %10d bytes (%6.2f%%) %7.3f s CPU%s\n", n, c, a, b, 100 * b / a, t, bad ? "  PIXELS DIFFER: " bad : "" }'
}

peer="jpegtran -optimize -copy icc"
run "$peer" pair jpegtran -optimize -copy icc -outfile
for entry in "1 -dc" "4 -purejpg"; do
  read -r level options <<<"$entry"
  [ -n "${BEFORE:-}" ] && run "before level $level ($options)" inplace "$BEFORE" $options
  run "ours level $level ($options)" inplace "$build/bin/plugins/jhead.exe" $options
done
for result in "$work"/*.cpu; do
  name=$(basename "$result" .cpu)
  [ "$name" = "$peer" ] && continue
  awk -v n="$name" -v c="$(cat "$result")" -v p="$(cat "$work/$peer.cpu")" \
    -v b="$(cat "$work/$name.bytes")" -v q="$(cat "$work/$peer.bytes")" \
    'BEGIN { printf "%-30s against the peer: CPU %.2fx, bytes %.4fx\n", n, c / p, b / q }'
done
