#!/usr/bin/env bash
# A mutation run: MUTANTS (1000) damaged copies of real files per kind
# (mutate.py: fixed seeds, so every run tries the same files) through
# quorvan-optimize, one file a run, at the kind's levels, two runs at a time.
# Counts per kind and level what try-one.sh finds: crashes, hangs, runs with
# exit status 0 whose output the kind's decoder refuses, tool internals in
# the messages; and the files kept as damaged, failed and optimized. Faults
# are listed (with the mutant's path) in RESULTS/faults.txt; RESULTS (a new
# temporary folder by default) keeps the mutants and the faulty runs' logs.
# The plug-in kinds run at fewer levels by default (each run starts the real
# tools): png 0 1 4, jpeg 0 1 4 13, js 0 1 4; LEVELS_<KIND>="..." chooses.
# Around 15 minutes on two cores.
#   bash bench/mutants/run.sh BUILD_DIR [KIND...]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
shift || true
kinds=("${@:-css html js gif png jpeg}")
read -r -a kinds <<< "${kinds[*]}"
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
program="$build/bin/quorvan-optimize"
mutants=${MUTANTS:-1000}
results=${RESULTS:-$(mktemp -d)}
for tool in convert djpeg gif2rgb timeout python3; do
  command -v "$tool" > /dev/null || { echo "run.sh: $tool is needed (scripts/install-deps.sh bench)" >&2; exit 1; }
done
cmake --build "$build" --target quorvan-optimize qwo_plugins -j2 > /dev/null

site="$root/examples/site" corpus=/work/shared/corpus/gif
declare -A seeds=(
  [css]="$site/css/style.css $site/css/layout.css $root/tests/css/data/blog-media.css"
  [html]="$site/index.html $site/about.html $root/tests/html/data/bakery.html"
  [js]="$site/js/app.js $site/js/menu.js"
  [gif]="$site/images/banner.gif $site/images/spinner.gif $site/images/bullet.gif"
  [png]="$site/images/logo.png $root/tests/browser/probes/filters.png"
  [jpeg]="$site/images/photo.jpg $root/tests/browser/probes/photo.jpg"
)
[ -d "$corpus" ] && seeds[gif]+=" $corpus/giflib/doc-whatsinagif/sample_2_animation.gif $corpus/gifsicle/logo1.gif"
declare -A levels=(
  [css]="${LEVELS_css:-0 1 2}" [html]="${LEVELS_html:-0 1 2}" [gif]="${LEVELS_gif:-0 1 2}"
  [js]="${LEVELS_js:-0 1 4}" [png]="${LEVELS_png:-0 1 4}" [jpeg]="${LEVELS_jpeg:-0 1 4 13}"
)

echo "mutants: $results ($mutants per kind)"
mkdir -p "$results/out"
: > "$results/all.txt"
for kind in "${kinds[@]}"; do
  # shellcheck disable=SC2086 # seed lists are paths without blanks
  python3 "$here/mutate.py" "$kind" "$mutants" "$results/$kind" ${seeds[$kind]}
  for level in ${levels[$kind]}; do
    find "$results/$kind" -type f -name 'm*' | sort | sed "s|^|$kind $level |"
  done | xargs -P 2 -L 1 bash "$here/try-one.sh" "$program" "$results" >> "$results/all.txt"
done
grep -vE ' (ok|kept|failed)$' "$results/all.txt" > "$results/faults.txt" || true

printf '%-5s %-8s %5s %5s %5s %7s %7s %7s %8s %5s %6s %5s\n' kind levels runs crash hang refused ref-copy missing \
  internal kept failed ok
awk '
  { key = $1; runs[key]++; class = $4; count[key, class]++; if ($5 == "internals") count[key, "internals"]++
    if (!(key SUBSEP $2 in seen)) { seen[key, $2] = 1; lv[key] = lv[key] (lv[key] == "" ? "" : ",") $2 }
    if (!(key in order)) { order[key] = ++n; names[n] = key } }
  END {
    for (i = 1; i <= n; i++) {
      k = names[i]
      printf "%-5s %-8s %5d %5d %5d %7d %7d %7d %8d %5d %6d %5d\n", k, lv[k], runs[k], count[k, "crash"], count[k, "hang"],
        count[k, "refused"], count[k, "refused-copy"], count[k, "missing"], count[k, "internals"], count[k, "kept"],
        count[k, "failed"], count[k, "ok"]
    }
  }' "$results/all.txt"
echo "faults: $(wc -l < "$results/faults.txt") (listed in $results/faults.txt)"
