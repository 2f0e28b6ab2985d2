#!/usr/bin/env bash
# What the image check costs: the bench site (bench-site.sh) at the defaults,
# one file at a time, with the check and without it (QWO_NO_VERIFY=1, read
# for this measure only), RUNS runs each in turn (default 3); then the site's
# images alone the same way. Prints the best CPU time (user + sys, plug-ins
# included) of each and the check's share of the checked run's CPU (aim:
# under 10%); the machine should be otherwise idle.
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
# The site's images alone too, where the check's share shows above the noise.
mkdir -p "$work/images"
find "$site" -type f \( -name '*.gif' -o -name '*.png' -o -name '*.jpg' -o -name '*.jpeg' \) -print0 |
  while IFS= read -r -d '' image; do cp -- "$image" "$work/images/$(printf '%s' "$image" | md5sum | cut -c1-8)-${image##*/}"; done

# measure_both NAME INPUT: RUNS runs with the check and without it, in turn.
measure_both() {
  for ((run = 0; run < runs; run++)); do
    for mode in checked unchecked; do
      rm -rf -- "$work/out"
      flag=0
      [ "$mode" = unchecked ] && flag=1
      QWO_NO_VERIFY=$flag measure "$work/log" "$bin/quorvan-optimize" -q -j 1 -o "$work/out" \
        --json "$work/$1-$mode.json" "$2" >> "$work/$1-$mode"
    done
  done
  local images kept checked unchecked
  images=$(grep -cE '"kind": "(gif|png|jpeg)"' "$work/$1-checked.json" || true)
  kept=$(grep -c '"status": "kept"' "$work/$1-checked.json" || true)
  checked=$(best "$work/$1-checked" 2)
  unchecked=$(best "$work/$1-unchecked" 2)
  awk -v n="$1" -v i="$images" -v k="$kept" -v a="$checked" -v b="$unchecked" -v r="$runs" 'BEGIN {
    printf "%s (%d images, %d kept): best %.2f s CPU with the check, %.2f s without (best of %d runs); its share %.1f%% (aim: under 10%%)\n",
      n, i, k, a, b, r, 100 * (a - b) / a }'
}
echo "site: $(find "$site" -type f | wc -l) files (libxml2-doc, git-doc)"
measure_both "whole site" "$site"
measure_both "its images alone" "$work/images"
