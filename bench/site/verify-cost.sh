#!/usr/bin/env bash
# What the image check costs: the bench site (bench-site.sh) at the defaults,
# one file at a time, with the check and without it (QWO_NO_VERIFY=1, read
# for this measure only), RUNS runs each in turn (default 3). Prints the best
# CPU time (user + sys, plug-ins included) of each and the check's share of
# the checked run's CPU (aim: under 10%); the machine should be otherwise idle.
#   bash bench/site/verify-cost.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
bin="$build/bin"
runs=${RUNS:-3}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/measure.sh"
source "$here/bench-site.sh"

work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
for ((run = 0; run < runs; run++)); do
  for mode in checked unchecked; do
    rm -rf -- "$work/out"
    flag=0
    [ "$mode" = unchecked ] && flag=1
    QWO_NO_VERIFY=$flag measure "$work/log" "$bin/quorvan-optimize" -q -j 1 -o "$work/out" \
      --json "$work/$mode.json" "$site" >> "$work/$mode"
  done
done
images=$(grep -cE '"kind": "(gif|png|jpeg)"' "$work/checked.json" || true)
kept=$(grep -c '"status": "kept"' "$work/checked.json" || true)
checked=$(best "$work/checked" 2)
unchecked=$(best "$work/unchecked" 2)
echo "site: $(find "$site" -type f | wc -l) files, $images images; $kept kept: output did not match"
awk -v a="$checked" -v b="$unchecked" -v r="$runs" 'BEGIN {
  printf "image check: best %.2f s CPU with it, %.2f s without (best of %d runs); its share %.1f%% (aim: under 10%%)\n",
    a, b, r, 100 * (a - b) / a }'
