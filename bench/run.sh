#!/usr/bin/env bash
# Runs every benchmark: bench/<area>/run.sh BUILD_DIR.
set -e
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
for script in "$here"/*/run.sh; do
  [ -f "$script" ] || continue
  echo "== $(basename "$(dirname "$script")")"
  bash "$script" "$build"
done
