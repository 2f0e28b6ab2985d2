#!/usr/bin/env bash
# One process per GIF, as a build tool calls us: `quorvan-optimize --gif 1 -o
# OUT FILE` for each file against `gifsicle -O1 -o OUT FILE`, over the shared
# corpus and the GIFs of the installed Debian packages (/usr/share). Each loop
# is timed as a whole by treecpu (CPU of every process), the two loops in turn,
# best of RUNS (default 3). Prints both figures and their ratio, then one
# start of ours under perf stat (task-clock, page faults) when perf is there.
#   bash bench/gif/per-process.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
runs=${RUNS:-3}
ours="$build/bin/quorvan-optimize"
corpus="$here/../../../shared/corpus/gif"
work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT

command -v gifsicle >/dev/null || { echo "gifsicle is missing (scripts/install-deps.sh)" >&2; exit 1; }
cc -O2 -o "$work/treecpu" "$here/../site/treecpu.c"

# The files both programs take (gifsicle refuses one damaged file).
{ find "$corpus" -name '*.gif'; find /usr/share -name '*.gif' 2>/dev/null; } | sort |
  while IFS= read -r f; do gifsicle -O1 -o "$work/probe.gif" "$f" 2>/dev/null && printf '%s\n' "$f"; done > "$work/list" || true
count=$(wc -l < "$work/list")

cat > "$work/loop.sh" <<'EOF'
tool=$1 list=$2 out=$3
while IFS= read -r f; do
  if [ "$tool" = ours ]; then
    "$OURS" -q --gif 1 -o "$out" "$f" >/dev/null 2>&1 || echo "failed: $f" >&2
  else
    gifsicle -O1 -o "$out/${f##*/}" "$f" 2>/dev/null || echo "failed: $f" >&2
  fi
done < "$list"
EOF
mkdir -p "$work/out"
best_ours="" best_peer=""
for ((run = 0; run < runs; run++)); do
  for tool in ours peer; do
    OURS=$ours "$work/treecpu" -o "$work/t" bash "$work/loop.sh" $tool "$work/list" "$work/out"
    cpu=$(awk '{ printf "%.4f", $2 + $3 }' "$work/t")
    if [ $tool = ours ]; then
      best_ours=$(awk -v a="$cpu" -v b="$best_ours" 'BEGIN { print (b == "" || a < b) ? a : b }')
    else
      best_peer=$(awk -v a="$cpu" -v b="$best_peer" 'BEGIN { print (b == "" || a < b) ? a : b }')
    fi
  done
done
# The loop's own shell is in both figures; one loop with `true` in place of each tool shows its share.
sed -e 's|"\$OURS" -q --gif 1 -o "\$out" "\$f" 2>/dev/null|true|' "$work/loop.sh" > "$work/empty.sh"
"$work/treecpu" -o "$work/t" bash "$work/empty.sh" ours "$work/list" "$work/out"
shell=$(awk '{ printf "%.4f", $2 + $3 }' "$work/t")
awk -v n="$count" -v a="$best_ours" -v b="$best_peer" -v s="$shell" -v r="$runs" 'BEGIN {
  printf "%d GIFs, one process each, best of %d: ours %.3f s CPU, gifsicle -O1 %.3f s, ratio %.2f\n", n, r, a, b, a / b
  printf "per file: ours %.2f ms, gifsicle %.2f ms (loop shell alone %.3f s)\n", 1000 * a / n, 1000 * b / n, s
}'
if command -v perf >/dev/null && perf stat -e task-clock true 2>/dev/null; then
  f=$(head -n 1 "$work/list")
  perf stat -r 20 -e task-clock,page-faults "$ours" -q --gif 1 -o "$work/out" "$f" 2>&1 | grep -E 'task-clock|page-faults'
fi
