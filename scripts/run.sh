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
exec "$build/bin/quorvan-optimize" --config examples/quorvan.toml -o "$out" \
  --report "$out/report.html" --json "$out/results.json" examples/site
