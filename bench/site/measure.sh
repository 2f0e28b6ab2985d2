# Sourced by the benches of this folder (build: the build folder, bin: its bin
# folder).
#   measure LOG COMMAND...  runs COMMAND under treecpu (treecpu.c, a subreaper,
#                           so a detached script server's CPU is counted too),
#                           standard output and error into LOG; prints "WALL CPU
#                           STATUS": seconds until COMMAND ended, CPU = user +
#                           sys of it and all its descendants.
#   best FILE COLUMN        the smallest value in that column of FILE.
#   supports OPTION         true when the program's --help names OPTION.
measure_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
treecpu="$build/bench-tools/treecpu"
if [ ! -x "$treecpu" ] || [ "$measure_here/treecpu.c" -nt "$treecpu" ]; then
  mkdir -p "$build/bench-tools"
  cc -O2 -Wall -Wextra -o "$treecpu.$$" "$measure_here/treecpu.c" && mv -f -- "$treecpu.$$" "$treecpu"
fi
measure() {
  local log=$1 times
  shift
  times=$(mktemp)
  "$treecpu" -o "$times" "$@" > "$log" 2>&1 || true
  awk '{ printf "%s %.3f %s\n", $1, $2 + $3, $4 }' "$times"
  rm -f -- "$times"
}
best() { sort -g -k"$2,$2" "$1" | head -1 | awk -v c="$2" '{ print $c }'; }
supports() { "$bin/quorvan-optimize" --help 2>&1 | grep -q -e "$1"; }
