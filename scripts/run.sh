#!/usr/bin/env bash
# The main job, called by `make run` with the build folder: the window when a
# display is available, otherwise the command line over the sample site.
set -e
cd "$(dirname "$0")/.."
build=${1:-build}
case "$build" in /*) ;; *) build="$PWD/$build" ;; esac

if { [ -n "$DISPLAY" ] || [ -n "$WAYLAND_DISPLAY" ]; } && [ -x "$build/bin/quorvan-web-optimizer" ]; then
  exec "$build/bin/quorvan-web-optimizer"
fi

echo "No display: optimizing the site examples/site/ into ${QWO_RUN_OUT:-out}/ (its tree kept) with the command line."
out=${QWO_RUN_OUT:-out}
"$build/bin/quorvan-optimize" --config examples/quorvan.toml -o "$out" \
  --report "$out/report.html" --json "$out/results.json" examples/site
echo "One style sheet through a pipe (standard input to standard output, its row on standard error):"
"$build/bin/quorvan-optimize" --stdin-name css/style.css - <examples/site/css/style.css >"$out/piped-style.css"
echo "An SVG icon through a pipe at the strongest SVG level:"
printf '%s\n' '<?xml version="1.0"?>' '<!-- drawn by hand -->' \
  '<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">' '  <title>dot</title>' \
  '  <circle cx="8" cy="8" r="6" fill="#ff0000"/>' '</svg>' |
  "$build/bin/quorvan-optimize" --svg 2 --stdin-name dot.svg - >"$out/dot.svg"
echo "The site in two shards, as two machines would run it (-q: one line each), and their results merged:"
for k in 1 2; do
  "$build/bin/quorvan-optimize" -q --shard "$k/2" -o "$out/sharded" --json "$out/shard-$k.json" examples/site
done
exec "$build/bin/quorvan-optimize" --merge-json "$out/shard-1.json" "$out/shard-2.json" --json "$out/sharded.json"
