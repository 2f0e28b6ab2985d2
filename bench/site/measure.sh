# Sourced by the benches of this folder (bin: the build's bin folder).
#   measure LOG COMMAND...  runs COMMAND under a subreaper (so a detached script
#                           server's CPU is counted too), standard output and
#                           error into LOG; prints "WALL CPU STATUS": seconds,
#                           CPU = user + sys of it and all its descendants.
#   best FILE COLUMN        the smallest value in that column of FILE.
#   supports OPTION         true when the program's --help names OPTION.
measure_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
measure() {
  local log=$1 times
  shift
  times=$(mktemp)
  /usr/bin/time -f "%e %U %S %x" -o "$times" python3 "$measure_here/../plugins/subreaper.py" "$@" > "$log" 2>&1 || true
  tail -1 "$times" | awk '{ printf "%s %.3f %s\n", $1, $2 + $3, $4 }'
  rm -f -- "$times"
}
best() { sort -g -k"$2,$2" "$1" | head -1 | awk -v c="$2" '{ print $c }'; }
supports() { "$bin/quorvan-optimize" --help 2>&1 | grep -q -e "$1"; }
