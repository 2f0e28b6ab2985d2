#!/usr/bin/env bash
# Measures lossless PNG optimizers, one configuration at a time, on the real
# PNGs of png-corpus.sh: total bytes out (a result larger than its source, or
# none, counts as the source), CPU seconds (user+sys of the whole loop, all
# threads and children) and, with --check, that every result decodes to the
# source's pixels. Per-file sizes go to RESULTS/<config>.sizes for combining.
# --large measures png-corpus.sh --large's files instead; --best N runs each
# configuration N times and shows the least CPU time.
#   bash bench/plugins/png-tools.sh [--check] [--large] [--best N] RESULTS CONFIG...
# CONFIG: a name below; "adapter:N" runs PNGOUT (default: the built
# plugins/pngout.exe, or $PNGOUT) at /sN.
set -euo pipefail
check=0
corpus=() best=1
if [ "${1:-}" = --check ]; then check=1; shift; fi
if [ "${1:-}" = --large ]; then corpus=(--large); shift; fi
if [ "${1:-}" = --best ]; then best=$2; shift 2; fi
results=$1; shift
mkdir -p "$results"
here=$(cd "$(dirname "$0")" && pwd)
oxipng=${OXIPNG:-$(command -v oxipng || true)}
mapfile -t files < <(bash "$here/png-corpus.sh" "${corpus[@]}")
[ ${#files[@]} -gt 0 ] || { echo "no PNGs found" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT

# run CONFIG SOURCE DESTINATION: one tool run; failures leave no destination.
run() {
  local config=$1 in=$2 out=$3
  case "$config" in
    optipng-o2)       optipng -quiet -o2 -out "$out" "$in" ;;
    optipng-o2-strip) optipng -quiet -o2 -strip all -out "$out" "$in" ;;
    optipng-o5)       optipng -quiet -o5 -out "$out" "$in" ;;
    zopflipng-q)      zopflipng -y -q --keepchunks=iCCP,sRGB,gAMA,cHRM,pHYs "$in" "$out" ;;
    zopflipng)        zopflipng -y --keepchunks=iCCP,sRGB,gAMA,cHRM,pHYs "$in" "$out" ;;
    zopflipng-m)      zopflipng -y -m --keepchunks=iCCP,sRGB,gAMA,cHRM,pHYs "$in" "$out" ;;
    oxipng-o*-D)      o=${config#oxipng-o}; "$oxipng" -q -t 1 -o "${o%-D}" -D --strip safe --out "$out" "$in" ;;
    oxipng-o*-Z)      o=${config#oxipng-o}; "$oxipng" -q -t 1 -o "${o%-Z}" -Z --strip safe --out "$out" "$in" ;;
    oxipng-o*)        "$oxipng" -q -t 1 -o "${config#oxipng-o}" --strip safe --out "$out" "$in" ;;
    adapter:*)        "${PNGOUT:-$here/../../build/bin/plugins/pngout.exe}" /y /q /s"${config#adapter:}" "$in" "$out" ;;
    *) echo "unknown configuration $config" >&2; exit 2 ;;
  esac
}

# The last column: CPU time as a multiple of the first configuration's.
printf '%-18s %6s %10s %10s %7s %9s %6s %s\n' config files in out out% "cpu (s)" "x 1st" pixels
first_cpu=""
for config in "$@"; do
  dir="$work/$config"
  mkdir -p "$dir"
  export -f run; export oxipng here
  # The loop runs in one child so that time counts every tool it starts.
  cpu=""
  for ((round = 0; round < best; round++)); do
    rm -f "$dir"/*.png
    this=$(/usr/bin/time -f '%U %S' bash -c '
      dir=$1; config=$2; shift 2; i=0
      for f in "$@"; do i=$((i + 1)); run "$config" "$f" "$dir/$i.png" >/dev/null 2>&1 || rm -f "$dir/$i.png"; done
    ' _ "$dir" "$config" "${files[@]}" 2>&1 >/dev/null | tail -1 | awk '{ print $1 + $2 }')
    cpu=$(awk -v a="$cpu" -v b="$this" 'BEGIN { print (a == "" || b < a) ? b : a }')
  done
  total_in=0 total_out=0 bad=0 i=0
  : > "$results/$config.sizes"
  for f in "${files[@]}"; do
    i=$((i + 1))
    a=$(stat -c %s "$f") b=$a
    [ -s "$dir/$i.png" ] && b=$(stat -c %s "$dir/$i.png")
    if [ "$b" -ge "$a" ]; then b=$a; elif [ $check = 1 ]; then
      cmp -s <(convert "$f" -depth 16 rgba:-) <(convert "$dir/$i.png" -depth 16 rgba:-) || bad=$((bad + 1))
    fi
    echo "$b" >> "$results/$config.sizes"
    total_in=$((total_in + a)) total_out=$((total_out + b))
  done
  pixels=$([ $check = 1 ] && { [ $bad = 0 ] && echo same || echo "$bad DIFFER"; } || echo -)
  [ -n "$first_cpu" ] || first_cpu=$cpu
  awk -v c="$config" -v n="${#files[@]}" -v a="$total_in" -v b="$total_out" -v t="$cpu" -v p="$pixels" -v f="$first_cpu" \
    'BEGIN { printf "%-18s %6d %10d %10d %6.2f%% %9.2f %6.2f %s\n", c, n, a, b, 100 * b / a, t, t / (f > 0 ? f : 1), p }'
  rm -rf "$dir"
done
