#!/usr/bin/env bash
# The script plug-in's cost per call, and what it costs whole pages:
#  1. where a call of the plain Node.js host goes: Node.js start, loading
#     terser, minifying a 4.5 kB script (libjs-sphinxdoc's doctools.js) at
#     each level, cold and warm;
#  2. per-call wall time and CPU (user+sys, the server's share included) of
#     "cscript //Nologo ESC.wsf -l N -ow DST SRC" from one calling program:
#     BEFORE (the host as it was: Node.js started per call, given as
#     BEFORE_BIN=folder holding that cscript and plugins/ESC.wsf) and now;
#  3. quorvan-optimize on a page with 50 script elements (25 empty, 25 small),
#     and on the git documentation (git-doc's 206 pages) at the defaults.
#   bash bench/plugins/script-calls.sh BUILD_DIR [CALLS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
calls=${2:-20}
bin="$build/bin"
work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
script=/usr/share/javascript/sphinxdoc/1.0/doctools.js
[ -f "$script" ] || { echo "install libjs-sphinxdoc for $script" >&2; exit 1; }
cp "$script" "$work/doctools.js"
export NODE_PATH=/usr/share/nodejs

echo "-- 1. where a plain Node.js call goes (ms, best of 5)"
node - "$bin/plugins/ESC.wsf" "$work/doctools.js" <<'EOF'
const { execFileSync } = require('child_process');
const fs = require('fs');
const best = (f, n = 5) => { let b = Infinity; for (let i = 0; i < n; i++) { const t = process.hrtime.bigint(); f(); b = Math.min(b, Number(process.hrtime.bigint() - t) / 1e6); } return b; };
const start = best(() => execFileSync(process.execPath, ['-e', '0']));
const load = best(() => execFileSync(process.execPath, ['-e', "require('terser')"]));
console.log(`Node.js start ${start.toFixed(0)}, + loading terser ${(load - start).toFixed(0)}`);
const [esc, file] = process.argv.slice(2);
const code = fs.readFileSync(file, 'utf8');
(async () => {
  const { run } = require(esc);
  for (let level = 1; level <= 4; level++) {
    const times = [];
    for (let i = 0; i < 6; i++) {
      const t = process.hrtime.bigint();
      await run(['-l', String(level), '-ow', file + '.out', file], { stderr: () => {} });
      times.push(Number(process.hrtime.bigint() - t) / 1e6);
    }
    console.log(`minifying ${code.length} bytes at level ${level}: first ${times[0].toFixed(1)}, warm ${Math.min(...times.slice(1)).toFixed(1)}`);
  }
})();
EOF

here=$(cd "$(dirname "$0")" && pwd)
# Runs a command under a subreaper (so that a detached script server's CPU
# is counted too); prints "WALL USER SYS" in seconds, all descendants included.
measure() {
  /usr/bin/time -f "%e %U %S" -o "$work/time.txt" python3 "$here/subreaper.py" "$@" > /dev/null
  cat "$work/time.txt"
}

# CALLS calls at level $2 from one shell with the host folder $1: median and
# best wall ms of the calls after the first, the first call, CPU ms a call.
calls_from_one_program() {
  measure bash -c '
    host=$1; level=$2; calls=$3; work=$4
    for ((i = 0; i < calls; i++)); do
      s=$(date +%s%N)
      "$host/cscript" //Nologo "$host/plugins/ESC.wsf" -l "$level" -ow "$work/out.js" "$work/doctools.js"
      echo $(( ($(date +%s%N) - s) / 1000 ))
    done > "$work/calls.txt"
  ' _ "$1" "$2" "$calls" "$work" > "$work/cpu.txt"
  read -r _ user sys < "$work/cpu.txt"
  tail -n +2 "$work/calls.txt" | sort -n | awk -v first="$(head -1 "$work/calls.txt")" -v calls="$calls" -v cpu="$(echo "$user + $sys" | bc)" \
    '{ t[NR] = $1 } END { printf "median %.1f ms, best %.1f ms, first call %.0f ms, CPU %.1f ms a call\n", t[int((NR + 1) / 2)] / 1000, t[1] / 1000, first / 1000, cpu * 1000 / calls }'
}

echo "-- 2. per call, $calls calls from one program, doctools.js"
for level in 1 2 3 4; do
  if [ -n "${BEFORE_BIN:-}" ]; then
    echo "level $level before: $(calls_from_one_program "$BEFORE_BIN" "$level")"
  fi
  echo "level $level now:    $(calls_from_one_program "$bin" "$level")"
done

echo "-- 3. whole pages at the defaults (wall s, CPU s of the program, its tools and the script server)"
{
  echo "<html><head><title>50 scripts</title>"
  for i in $(seq 1 25); do
    echo "<script src=\"lib$i.js\"></script>"
    echo "<script>var counter$i = $i; // count\nfunction show$i(value) { return counter$i + value; }</script>"
  done
  echo "</head><body><p>Fifty script elements.</p></body></html>"
} > "$work/scripts50.html"
site() {
  local name=$1
  shift
  rm -rf "$work/out"
  read -r wall user sys < <(measure "$bin/quorvan-optimize" -o "$work/out" "$@")
  awk -v n="$name" -v w="$wall" -v c="$(echo "$user + $sys" | bc)" 'BEGIN { printf "%s: %.2f s wall, %.2f s CPU\n", n, w, c }'
}
site "page with 50 script elements" "$work/scripts50.html"
[ -d /usr/share/doc/git-doc ] && site "git-doc, $(ls /usr/share/doc/git-doc/*.html | wc -l) pages" /usr/share/doc/git-doc/*.html
