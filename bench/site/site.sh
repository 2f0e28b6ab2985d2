#!/usr/bin/env bash
# A whole real site through the program at the defaults, one file at a time
# (-j 1) and two at once (-j 2): Debian's documentation of libxml2 and git,
# pinned; the packages are fetched into BUILD_DIR/bench-site (never part of
# the sources). Prints the best wall and CPU time (user + sys, plug-ins and
# the script server included) of RUNS runs each (default 3, -j 1 and -j 2 in
# turn), the wall time ratio -j 2 / -j 1 (aim: at most 0.6 on two cores) and
# the CPU use of the fastest -j 2 run, CPU over wall (aim: at least 1.7); the
# machine should be otherwise idle.
#   bash bench/site/site.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
bin="$build/bin"
runs=${RUNS:-3}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/measure.sh"

source "$here/bench-site.sh"
files=$(find "$site" -type f | wc -l)
bytes=$(du -sb "$site" | cut -f1)

work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
quiet=()
supports '--quiet' && quiet=(-q)
jobs=(1)
if supports '--jobs'; then
  jobs=(1 2)
else
  echo "(this build has no -j option: one file at a time only, the -j 1 figures)"
fi

for ((run = 0; run < runs; run++)); do
  for j in "${jobs[@]}"; do
    option=()
    [ ${#jobs[@]} -gt 1 ] && option=(-j "$j")
    rm -rf -- "$work/out"
    measure "$work/log" "$bin/quorvan-optimize" "${quiet[@]}" "${option[@]}" -o "$work/out" "$site" >> "$work/j$j"
    status=$(tail -1 "$work/j$j" | cut -d' ' -f3)
    [ "$status" = 0 ] || { echo "-j $j: exit status $status"; tail -3 "$work/log"; }
  done
done
written=$(find "$work/out" -type f | wc -l)

echo "site: $files files, $((bytes / 1000)) kB (libxml2-doc, git-doc); $written files written; best of $runs runs"
for j in "${jobs[@]}"; do
  awk -v j="$j" -v w="$(best "$work/j$j" 1)" -v c="$(best "$work/j$j" 2)" -v n="$files" \
    'BEGIN { printf "-j %s: best %.2f s wall, best %.2f s CPU (%.1f ms a file)", j, w, c, 1000 * c / n }'
  read -r wall cpu _ < <(sort -g -k1,1 "$work/j$j" | head -1)  # the fastest run's own CPU
  awk -v w="$wall" -v c="$cpu" 'BEGIN { printf "; CPU use of the fastest run %.2f\n", c / w }'
done
if [ ${#jobs[@]} -gt 1 ]; then
  awk -v a="$(best "$work/j1" 1)" -v b="$(best "$work/j2" 1)" \
    'BEGIN { printf "wall -j 2 / -j 1: %.2f (aim: at most 0.6)\n", b / a }'
  awk -v w="$wall" -v c="$cpu" 'BEGIN { printf "CPU use at -j 2 (user+sys over wall): %.2f (aim: at least 1.7)\n", c / w }'
fi
