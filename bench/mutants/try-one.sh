#!/usr/bin/env bash
# One mutant through the program: prints "KIND LEVEL FILE CLASS" where CLASS is
#   crash      the program ended by a signal
#   hang       still running after 10 s (timeout ended it)
#   missing    exit status 0 and no output file
#   refused    exit status 0, the row not "kept: damaged ...", and the kind's
#              decoder (libpng through ImageMagick, djpeg, giflib's gif2rgb)
#              refuses the output, which the program wrote
#   refused-copy  the same, the output being the source's bytes: a damaged
#              source passed as optimized
#   kept       exit status 0, the row says "kept: damaged ...", output = source
#   ok         exit status 0 otherwise (level 0: a plain copy)
#   failed     exit status 1: the file failed with a reason
#   status-N   any other exit status
# followed by "internals" when standard output or error shows a tool's
# internals (a Rust backtrace note, an allocator's abort, a JavaScript stack).
#   bash try-one.sh PROGRAM WORK KIND LEVEL FILE
program=$1 work=$2 kind=$3 level=$4 file=$5
name=${file##*/}
out="$work/out/$kind-$level-${name%.*}"
rm -rf -- "$out"
timeout 10 "$program" -j 1 --"$kind" "$level" -o "$out" "$file" > "$out.log" 2>&1 < /dev/null
status=$?
result="$out/$name"
decodes() {
  case $kind in
    png) convert "$1" null: > /dev/null 2>&1 ;;
    jpeg) djpeg "$1" > /dev/null 2>&1; (($? != 1)) ;;
    gif) gif2rgb -1 -o /dev/null "$1" > /dev/null 2>&1 ;;
    *) true ;;
  esac
}
case $status in
  0)
    if [ ! -f "$result" ]; then class=missing
    elif grep -q "kept: damaged" "$out.log" && cmp -s "$file" "$result"; then class=kept
    elif ((level > 0)) && ! decodes "$result"; then
      if cmp -s "$file" "$result"; then class=refused-copy; else class=refused; fi
    else class=ok
    fi ;;
  1) class=failed ;;
  124) class=hang ;;
  *) if ((status > 128)); then class=crash; else class=status-$status; fi ;;
esac
grep -qE 'RUST_BACKTRACE|panicked at|memory allocation of|node:internal|at .*\.c?js:[0-9]+:[0-9]+|Traceback' "$out.log" &&
  class="$class internals"
echo "$kind $level $file $class"
# Only what shows a fault is kept for a look.
case $class in ok | kept | failed) rm -rf -- "$out" "$out.log" ;; esac
