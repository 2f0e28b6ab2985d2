#!/usr/bin/env bash
# JPEG bytes and CPU (user+sys, tools included) of jhead.exe at its levels,
# before (BEFORE=path of the old jhead.exe, optional) and now, beside
# "jpegtran -optimize -copy none" on the real JPEGs of png-corpus.sh --jpeg;
# every result of ours is checked to decode to the source's pixels (djpeg).
#   bash bench/plugins/jpeg-bench.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
mapfile -t files < <(bash "$here/png-corpus.sh" --jpeg)
[ ${#files[@]} -gt 0 ] || { echo "no JPEGs found" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
bash "$here/png-corpus.sh" --jpeg --packages

# run NAME COMMAND...: COMMAND gets SOURCE DESTINATION appended, per file.
run() {
  local name=$1
  shift
  mkdir -p "$work/$name"
  local cpu
  cpu=$(/usr/bin/time -f '%U %S' bash -c '
    dir=$1; shift; i=0; command=(); while [ "$1" != -- ]; do command+=("$1"); shift; done; shift
    for f in "$@"; do i=$((i + 1)); "${command[@]}" "$f" "$dir/$i.jpg" >/dev/null 2>&1 || true; done
  ' _ "$work/$name" "$@" -- "${files[@]}" 2>&1 >/dev/null | tail -1)
  local total_in=0 total_out=0 bad=0 i=0
  for f in "${files[@]}"; do
    i=$((i + 1))
    a=$(stat -c %s "$f") b=$a
    [ -s "$work/$name/$i.jpg" ] && b=$(stat -c %s "$work/$name/$i.jpg")
    if [ "$name" != "${name#ours}" ] || [ "$name" != "${name#before}" ]; then
      cmp -s <(djpeg -pnm "$f") <(djpeg -pnm "$work/$name/$i.jpg") || bad=$((bad + 1))
    fi
    total_in=$((total_in + a)) total_out=$((total_out + b))
  done
  awk -v n="$name" -v c="${#files[@]}" -v a="$total_in" -v b="$total_out" -v t="$cpu" -v bad="$bad" \
    'BEGIN { split(t, u, " "); printf "%-26s %4d files %9d -> %9d bytes (%6.2f%%) %7.2f s CPU%s\n", n, c, a, b, 100 * b / a, u[1] + u[2], bad ? "  PIXELS DIFFER: " bad : "" }'
}

# In place, as the program calls it: a copy of the source, then the adapter on it.
adapter() { cp -- "$2" "$3" && "$1" "${@:4}" "$3"; }
inplace() { local tool=$1 level=$2 options=$3; shift 3; adapter "$tool" "$1" "$2" $options; }
peer() { jpegtran -optimize -copy none -outfile "$2" "$1"; }
export -f adapter inplace peer

run "jpegtran -optimize -copy none" peer
for entry in "1 -dc" "4 -purejpg"; do
  read -r level options <<<"$entry"
  [ -n "${BEFORE:-}" ] && run "before level $level ($options)" inplace "$BEFORE" "$level" "$options"
  run "ours level $level ($options)" inplace "$build/bin/plugins/jhead.exe" "$level" "$options"
done
