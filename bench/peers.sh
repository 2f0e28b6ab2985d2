#!/usr/bin/env bash
# Installs the benchmark peers pinned in bench/package.json into bench/node_modules
# (once; git ignores it) and prints the folder that holds node_modules.
# Exit status 1 when npm cannot install them.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if ! node -e 'const p=require(process.argv[1]);for(const d of Object.keys(p.dependencies))require.resolve(d+"/package.json",{paths:[process.argv[2]]})' \
     "$here/package.json" "$here" 2>/dev/null; then
  npm install --prefix "$here" --no-audit --no-fund --no-save --silent >&2 || exit 1
fi
echo "$here"
