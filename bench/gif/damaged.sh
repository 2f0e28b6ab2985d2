#!/usr/bin/env bash
# Damaged GIFs (frames claiming huge sizes, frames outside the screen, cut
# image data, huge screens): CPU time (user + system) and peak memory per
# file of quorvan-optimize at GIF levels 1 and 2, and of gifsicle -O2 on the
# same files. bench/gif/damaged.sh BUILD_DIR
set -e
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
command -v gifsicle >/dev/null || { echo "gifsicle is missing (scripts/install-deps.sh)" >&2; exit 1; }
python3 "$here/damaged.py" "$work"
printf '%-26s %7s %-12s %7s %8s  %s\n' file bytes tool cpu_s peak_MB result
for f in "$work"/*.gif; do
  for tool in level1 level2 gifsicle-O2; do
    rm -rf "$work/out" && mkdir "$work/out"
    case $tool in
      level*) cmd=("$build/bin/quorvan-optimize" -k --gif "${tool#level}" -o "$work/out/" "$f") ;;
      # gifsicle takes 16 GB for a 65535 x 65535 screen: bounded to 2 GB here.
      *) cmd=(bash -c 'ulimit -v 2097152; exec gifsicle -O2 -o "$0" "$1"' "$work/out/x.gif" "$f") ;;
    esac
    /usr/bin/time -f '%U %S %M' -o "$work/time" "${cmd[@]}" >"$work/stdout" 2>"$work/errors" && status=0 || status=$?
    read -r user system peak < <(tail -n 1 "$work/time")
    result=$(grep -hoE 'failed: [^;]*|kept: .*' "$work/stdout" | head -n 1)
    [ -n "$result" ] || result=$(grep -hoE '[0-9.]+%' "$work/stdout" | head -n 1)
    [ -n "$result" ] || result="exit $status $(head -c 60 "$work/errors" | tr '\n' ' ')"
    awk -v f="$(basename "$f" .gif)" -v b="$(stat -c %s "$f")" -v t=$tool -v u="$user" -v s="$system" -v p="$peak" \
      -v r="$result" 'BEGIN { printf "%-26s %7d %-12s %7.2f %8.1f  %s\n", f, b, t, u + s, p / 1024, r }'
  done
done
