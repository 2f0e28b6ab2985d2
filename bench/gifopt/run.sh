#!/usr/bin/env bash
# GIF levels 1 and 2 against gifsicle -O1, -O2 and -O3, side by side in one run:
# total output bytes, best wall and CPU time over the corpus, over the GIFs
# that installed Debian packages ship (/usr/share; listed, never copied into
# the tree) and over large generated animations (made once with ImageMagick,
# kept in the build folder). Then time and peak memory of both levels on the
# long 1280x720 animation of 1,500 frames and on the hostile inputs (makegifs).
set -e
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
corpus="$here/../../../shared/corpus/gif"
gifopt="$build/bin/gifopt"
data="$build/bench-gifopt-data"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ ! -x "$gifopt" ]; then
  echo "gifopt is missing: configure with -DQWO_BENCH=ON and build the targets gifopt and makegifs" >&2
  exit 1
fi
for tool in gifsicle convert; do
  command -v $tool >/dev/null || { echo "$tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

# Large animations of the kinds found on web pages.
make_animations() {
  mkdir -p "$data/tmp"
  local t="$data/tmp"
  # A ball moving over a gradient: small changes on a fixed background.
  convert -size 480x320 gradient:skyblue-navy "$t/bg.png"
  for i in $(seq 0 59); do
    x=$((20 + i * 7)); y=$((160 + (i % 20 - 10) * (i % 20 - 10)))
    convert "$t/bg.png" -fill orange -draw "circle $x,$y $((x + 24)),$y" "$t/ball_$(printf %02d $i).png"
  done
  convert -delay 4 -loop 0 "$t"/ball_*.png "$data/ball.gif"
  convert "$data/ball.gif" -layers Optimize "$data/ball-optimized.gif"
  # A photo turning: every pixel changes, dithered colors.
  convert wizard: -resize 80% "$t/wizard.png"
  for a in $(seq 0 15 345); do
    convert "$t/wizard.png" -background white -rotate $a -gravity center -extent 400x400 "$t/rot_$(printf %03d $a).png"
  done
  convert -delay 8 -loop 0 "$t"/rot_*.png "$data/wizard-rotate.gif"
  # A picture whose colors cycle: same shapes, new colors every frame.
  for h in $(seq 0 10 190); do
    convert rose: -resize 400% -modulate 100,100,$h "$t/rose_$(printf %03d $h).png"
  done
  convert -delay 10 -loop 0 "$t"/rose_*.png "$data/rose-hue.gif"
  # Noise scrolling sideways.
  convert -size 360x240 plasma:fractal -seed 7 "$t/plasma.png" 2>/dev/null || convert -seed 7 -size 360x240 plasma:fractal "$t/plasma.png"
  for i in $(seq 0 29); do
    convert "$t/plasma.png" -roll +$((i * 12))+0 "$t/plasma_$(printf %02d $i).png"
  done
  convert -delay 5 -loop 0 "$t"/plasma_*.png "$data/plasma-scroll.gif"
  rm -rf "$t"
}
if [ ! -f "$data/plasma-scroll.gif" ]; then
  echo "generating animations in $data ..."
  make_animations
fi

# run SET_NAME TOOL_NAME FILES...: one process over all files, as a batch run
# works (ours: source/destination pairs; gifsicle: --batch over fresh copies,
# the copying not timed). The best wall and CPU (user + system) time of
# $repeats runs count.
repeats=${GIFOPT_BENCH_REPEATS:-5}
run() {
  local set=$1 tool=$2; shift 2
  local out="$work/$tool" best="" best_cpu="" wall user system cpu bytes=0 input=0 i failed=0 pairs r
  mkdir -p "$out"
  for r in $(seq "$repeats"); do
    i=0
    pairs=()
    for f in "$@"; do
      i=$((i + 1))
      case $tool in
        level*) pairs+=("$f" "$out/$i.gif") ;;
        *) cp "$f" "$out/$i.gif"; pairs+=("$out/$i.gif") ;;
      esac
    done
    TIMEFORMAT='%R %U %S'
    {
      time case $tool in
        level1) "$gifopt" 1 "${pairs[@]}" >/dev/null 2>"$out/errors" || true ;;
        level2) "$gifopt" 2 "${pairs[@]}" >/dev/null 2>"$out/errors" || true ;;
        gifsicle-O*) gifsicle --batch "-${tool#gifsicle-}" "${pairs[@]}" >/dev/null 2>"$out/errors" || true ;;
      esac
    } 2>"$out/time"
    read -r wall user system <"$out/time"
    cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')
    best=$(awk -v a="$best" -v b="$wall" 'BEGIN { print (a == "" || b < a) ? b : a }')
    best_cpu=$(awk -v a="$best_cpu" -v b="$cpu" 'BEGIN { print (a == "" || b < a) ? b : a }')
  done
  i=0
  for f in "$@"; do
    i=$((i + 1))
    input=$((input + $(stat -L -c %s "$f")))
    # A file a tool could not handle counts at its original size.
    if [ -s "$out/$i.gif" ]; then bytes=$((bytes + $(stat -c %s "$out/$i.gif"))); else bytes=$((bytes + $(stat -L -c %s "$f"))); fi
  done
  [ "${tool#level}" != "$tool" ] && failed=$(grep -c . "$out/errors" || true)
  awk -v set="$set" -v tool="$tool" -v n=$# -v in_bytes=$input -v out_bytes=$bytes -v seconds="$best" \
    -v cpu="$best_cpu" -v failed="$failed" 'BEGIN { printf "%-8s %-12s %6d %10d %10d %7.1f%% %8.3f %8.3f %6s\n",
      set, tool, n, in_bytes, out_bytes, 100 * out_bytes / in_bytes, seconds, cpu, failed }'
  rm -rf "$out"
}

mapfile -t corpus_files < <(find "$corpus" -name '*.gif' | sort)
mapfile -t real_files < <(find /usr/share -type f -name '*.gif' -size +0 2>/dev/null | sort)
echo "real: ${#real_files[@]} GIFs from installed packages:"
for f in "${real_files[@]}"; do dpkg -S "$f" 2>/dev/null | cut -d: -f1; done | sort | uniq -c | sed 's/^/  /'

mapfile -t large_files < <(find "$data" -maxdepth 1 -name '*.gif' | sort)
printf '%-8s %-12s %6s %10s %10s %8s %8s %8s %6s\n' set tool files in_bytes out_bytes ratio wall_s cpu_s failed
for tool in level1 level2 gifsicle-O1 gifsicle-O2 gifsicle-O3; do
  run corpus $tool "${corpus_files[@]}"
done
if [ ${#real_files[@]} -gt 0 ]; then
  for tool in level1 level2 gifsicle-O1 gifsicle-O2 gifsicle-O3; do
    run real $tool "${real_files[@]}"
  done
fi
for tool in level1 level2 gifsicle-O1 gifsicle-O2 gifsicle-O3; do
  run large $tool "${large_files[@]}"
done

# Time and peak memory (resident set) per file and level.
memory="$build/bench-gifopt-memory"
if [ ! -f "$memory/huge-animation.gif" ]; then
  mkdir -p "$memory"
  "$build/bin/makegifs" "$memory" >/dev/null
fi
printf '\n%-28s %-6s %9s %8s %8s %10s %s\n' file level bytes wall_s cpu_s peak_MB result
for f in "$memory"/*.gif; do
  for level in 1 2; do
    /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$gifopt" $level "$f" "$work/out.gif" >/dev/null 2>"$work/errors" && result=ok ||
      result=$(tail -n 1 "$work/errors" | sed 's/.*: //')
    read -r wall user system peak <"$work/time"
    awk -v f="$(basename "$f")" -v l=$level -v b=$(stat -c %s "$f") -v w="$wall" -v u="$user" -v s="$system" -v p="$peak" \
      -v r="$result" 'BEGIN { printf "%-28s %-6s %9d %8.2f %8.2f %10.0f %s\n", f, l, b, w, u + s, p / 1024, r }'
    rm -f "$work/out.gif"
  done
done
