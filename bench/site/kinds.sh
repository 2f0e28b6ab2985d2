#!/usr/bin/env bash
# Per kind of file, the program against the peer a user would script, on real
# sites: bytes written and CPU time (user + sys of the whole process tree,
# the detached script server included, counted by treecpu), best of RUNS runs
# (default 3), ours and the peer in turn. The program runs once per kind over
# that kind's files (copied out of the site with their folders; like the
# program, links to files followed, links to folders not), at its
# defaults, JS at levels 3 and 4; each peer runs one process per file, except
# minify-html, which is a library (one Node.js process for all pages). A peer
# that is not installed gives "n/a"; a file a peer fails on counts at its
# source size. ratio: our CPU / the peer's CPU.
#   [RUNS=3] [KINDS=CSS,GIF,HTML,JPEG,JS 3,JS 4,PNG] bash bench/site/kinds.sh BUILD_DIR [SITE...]
# SITE: a folder, "bench" (bench-site.sh) or "images" (images-site.sh);
# default: both.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
bin="$build/bin"
runs=${RUNS:-3}
here=$(cd "$(dirname "$0")" && pwd)
shift || true
sites=("$@")
[ ${#sites[@]} -gt 0 ] || sites=(bench images)
source "$here/measure.sh"
cmake --build "$build" --target quorvan-optimize qwo_plugins -j2 > /dev/null
modules=""
if root=$(bash "$here/../peers.sh" 2> /dev/null); then modules="$root/node_modules"; fi

work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT

# kind|find pattern|our options|peer label
kinds=(
  'CSS|-name *.css||lightningcss --minify --error-recovery'
  'GIF|-name *.gif||gifsicle -O3'
  'HTML|( -name *.htm -o -name *.html )||minify-html (one node process)'
  'JPEG|( -name *.jpg -o -name *.jpeg -o -name *.jpe )||jpegtran -optimize -copy icc'
  'JS 3|-name *.js|--js 3|esbuild --minify-whitespace'
  'JS 4|-name *.js|--js 4|esbuild --minify'
  'PNG|-name *.png||optipng -o2'
)

# KINDS (e.g. "PNG" or "CSS,JS 3"): only those rows.
if [ -n "${KINDS:-}" ]; then
  chosen=()
  for entry in "${kinds[@]}"; do [[ ",$KINDS," == *",${entry%%|*},"* ]] && chosen+=("$entry"); done
  [ ${#chosen[@]} -gt 0 ] || { echo "kinds.sh: no kind in KINDS=$KINDS" >&2; exit 2; }
  kinds=("${chosen[@]}")
fi

# The peers, one process per file over the NUL-separated LIST of paths below IN.
cat > "$work/peer.sh" << 'SCRIPT'
kind=$1 in=$2 out=$3 list=$4 modules=$5 here=$6
[ "$kind" = HTML ] && exec node "$here/minify-html.cjs" "$modules" "$in" "$out" < "$list"
failed=0
while IFS= read -r -d '' f; do
  case $kind in
    CSS) "$modules/.bin/lightningcss" --minify --error-recovery -o "$out/$f" "$in/$f" ;;
    GIF) gifsicle -O3 -o "$out/$f" "$in/$f" ;;
    JPEG) jpegtran -optimize -copy icc -outfile "$out/$f" "$in/$f" ;;
    'JS 3') "$modules/.bin/esbuild" --minify-whitespace --log-level=error --outfile="$out/$f" "$in/$f" ;;
    'JS 4') "$modules/.bin/esbuild" --minify --log-level=error --outfile="$out/$f" "$in/$f" ;;
    PNG) optipng -quiet -o2 -out "$out/$f" "$in/$f" ;;
  esac || { failed=$((failed + 1)); echo "failed: $f" >&2; }
done < "$list"
[ $failed = 0 ]
SCRIPT
has_peer() {
  case $1 in
    CSS) [ -x "$modules/.bin/lightningcss" ] ;;
    GIF) command -v gifsicle > /dev/null ;;
    HTML) [ -n "$modules" ] && [ -d "$modules/@minify-html/node" ] && command -v node > /dev/null ;;
    JPEG) command -v jpegtran > /dev/null ;;
    JS*) [ -x "$modules/.bin/esbuild" ] ;;
    PNG) command -v optipng > /dev/null ;;
  esac
}

# bytes IN OUT LIST: what OUT holds for each path of LIST (IN's size where it has nothing).
bytes() {
  local total=0 f
  while IFS= read -r -d '' f; do
    if [ -s "$2/$f" ]; then total=$((total + $(stat -c %s -- "$2/$f"))); else total=$((total + $(stat -c %s -- "$1/$f"))); fi
  done < "$3"
  echo $total
}
# fresh FOLDER IN: an empty tree of IN's folders at FOLDER.
fresh() { rm -rf -- "$1" && mkdir -p "$1" && (cd "$2" && find . -type d -print0) | (cd "$1" && xargs -0 mkdir -p); }
human() { awk -v b="$1" 'BEGIN { if (b >= 1e6) printf "%.2f MB", b / 1e6; else printf "%.1f kB", b / 1e3 }'; }

bench_site() {
  local name=$1 folder=$2 kind pattern options label i n in list
  echo "site $name: $folder ($(find "$folder" -xtype f | wc -l) files, $(human "$(find "$folder" -xtype f -print0 | xargs -0 -r stat -L -c %s | awk '{ s += $1 } END { print s + 0 }')"))"
  rm -rf -- "$work/site" && mkdir -p "$work/site"
  for ((i = 0; i < ${#kinds[@]}; i++)); do
    IFS='|' read -r kind pattern options label <<< "${kinds[i]}"
    in="$work/site/$i/in" list="$work/site/$i/list"
    mkdir -p "$in"
    # shellcheck disable=SC2086  # the pattern is words for find
    (cd "$folder" && set -f && find . -xtype f $pattern -printf '%P\0' 2> /dev/null | LC_ALL=C sort -z) > "$list"
    (cd "$folder" && xargs -0 -r cp -L --parents -t "$in" < "$list")
    : > "$work/site/$i/ours" && : > "$work/site/$i/peer"
  done
  for ((run = 0; run < runs; run++)); do
    for ((i = 0; i < ${#kinds[@]}; i++)); do
      IFS='|' read -r kind pattern options label <<< "${kinds[i]}"
      in="$work/site/$i/in" list="$work/site/$i/list"
      [ -s "$list" ] || continue
      rm -rf -- "$work/site/$i/out"
      # shellcheck disable=SC2086  # options are words
      measure "$work/site/$i/log" "$bin/quorvan-optimize" -q -k $options -o "$work/site/$i/out" "$in" >> "$work/site/$i/ours"
      if has_peer "$kind"; then
        fresh "$work/site/$i/peer-out" "$in"
        measure "$work/site/$i/peer-log" bash "$work/peer.sh" "$kind" "$in" "$work/site/$i/peer-out" "$list" "$modules" "$here" \
          >> "$work/site/$i/peer"
      fi
    done
  done

  echo "best of $runs runs${KINDS:+, kinds $KINDS}; ratio: our CPU / the peer's CPU"
  echo "| kind | files | our bytes | our CPU | peer | peer bytes | peer CPU | ratio |"
  echo "|---|---|---|---|---|---|---|---|"
  local total_files=0 ours_bytes=0 ours_cpu=0 peer_bytes=0 peer_cpu=0 missing="" notes=()
  for ((i = 0; i < ${#kinds[@]}; i++)); do
    IFS='|' read -r kind pattern options label <<< "${kinds[i]}"
    in="$work/site/$i/in" list="$work/site/$i/list"
    n=$(tr -cd '\0' < "$list" | wc -c)
    if [ "$n" = 0 ]; then
      echo "| $kind | 0 | | | $label | | | |"
      continue
    fi
    local ob oc pb="n/a" pc="n/a" ratio="n/a" status
    ob=$(bytes "$in" "$work/site/$i/out" "$list")
    oc=$(best "$work/site/$i/ours" 2)
    status=$(cut -d' ' -f3 "$work/site/$i/ours" | sort -u | tr '\n' ' ')
    [ "$status" = "0 " ] || notes+=("$kind: the program's exit status $status($(grep -v '^$' "$work/site/$i/log" | tail -1))")
    if [ -s "$work/site/$i/peer" ]; then
      pb=$(bytes "$in" "$work/site/$i/peer-out" "$list")
      pc=$(best "$work/site/$i/peer" 2)
      ratio=$(awk -v a="$oc" -v b="$pc" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
      local failed
      failed=$(grep -c '^failed: ' "$work/site/$i/peer-log" || true)
      [ "$failed" = 0 ] || notes+=("$kind: the peer failed on $failed files (counted at their source size), the first: $(grep -m1 "^failed: " "$work/site/$i/peer-log" | cut -c9-)")
      notes+=("$kind: bytes ours / peer $(awk -v a="$ob" -v b="$pb" 'BEGIN { printf "%.3f", a / b }') (source $(human "$(bytes "$in" /nonexistent "$list")"))")
    fi
    echo "| $kind | $n | $ob | ${oc} s | $label | $pb | ${pc}${pc:+ s} | $ratio |" | sed 's/n\/a s/n\/a/'
    [ "$kind" = "JS 4" ] && continue  # the whole site is at the defaults
    total_files=$((total_files + n))
    ours_bytes=$((ours_bytes + ob))
    ours_cpu=$(awk -v a="$ours_cpu" -v b="$oc" 'BEGIN { print a + b }')
    if [ "$pb" = n/a ]; then
      missing+=" $kind"
    else
      peer_bytes=$((peer_bytes + pb))
      peer_cpu=$(awk -v a="$peer_cpu" -v b="$pc" 'BEGIN { print a + b }')
    fi
  done
  awk -v n="$total_files" -v ob="$ours_bytes" -v oc="$ours_cpu" -v pb="$peer_bytes" -v pc="$peer_cpu" -v m="$missing" 'BEGIN {
    printf "| whole site (sum, JS at level 3) | %d | %d | %.2f s | the peers above%s | %d | %.2f s | %s |\n",
      n, ob, oc, (m == "" ? "" : " (none for" m ")"), pb, pc, (m == "" && pc > 0 ? sprintf("%.2f", oc / pc) : "n/a") }'
  local note
  for note in "${notes[@]}"; do echo "  $note"; done
}

for s in "${sites[@]}"; do
  case $s in
    bench) source "$here/bench-site.sh"; bench_site "bench (libxml2-doc, git-doc)" "$site" ;;
    images) source "$here/images-site.sh"; bench_site "images (imagemagick-6-doc, documentation with images, Adwaita icons)" "$site" ;;
    *) [ -d "$s" ] || { echo "kinds.sh: $s is not a folder" >&2; exit 2; }; bench_site "$s" "$(cd "$s" && pwd)" ;;
  esac
  echo
done
