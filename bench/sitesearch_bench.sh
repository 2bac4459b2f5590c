#!/usr/bin/env bash
# Find in files over a tree of 2,000 pages (100 MB) against grep -rF on the
# same tree in the same run, page cache warm. Target: at most 1.5 times grep.
# Usage: bench/sitesearch_bench.sh [build dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/bench}
tree=${TAGSMITH_BENCH_TREE:-/tmp/tagsmith-site-2000}
word=Quastenflosser

. "$root/bench/build.sh"
bench_build "$build" sitesearch_bench
bench=$build/bench/sitesearch_bench

[[ -d $tree ]] || "$bench" --generate "$tree" 2000 100
cat $(find "$tree" -type f) >/dev/null # into the page cache for both

# Median wall time in ms of five runs; the output goes to a file, since grep
# stops at the first match when it writes to /dev/null.
out=$(mktemp /tmp/tagsmith-sitesearch.XXXXXX)
trap 'rm -f "$out"' EXIT
timed() {
  local runs=() TIMEFORMAT=%R t
  for _ in 1 2 3 4 5; do
    t=$( { time "$@" >"$out"; } 2>&1 )
    runs+=("$(awk -v s="$t" 'BEGIN { printf "%.0f", s * 1000 }')")
  done
  printf '%s\n' "${runs[@]}" | sort -n | sed -n 3p
}

echo "tree $tree: $(find "$tree" -type f | wc -l) files, $(find "$tree" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }') bytes; $(nproc) cores"
report() { # name, our ms, reference ms
  awk -v n="$1" -v a="$2" -v r="$3" 'BEGIN { printf "%-28s %6d ms   grep %6d ms   x%.2f (target <= 1.50)\n", n, a, r, a / r }'
}
for mode in "" -i; do
  ref=$(timed grep -r -F $mode --include='*.htm' --include='*.html' "$word" "$tree")
  grep_count=$(grep -r -F -o $mode --include='*.htm' --include='*.html' "$word" "$tree" | wc -l)
  read -r ours count < <(QT_QPA_PLATFORM=offscreen "$bench" "$tree" "$word" $mode 2> >(grep -v XDG_RUNTIME_DIR >&2))
  [[ $count == "$grep_count" ]] || { echo "matches differ: $count, grep $grep_count"; exit 1; }
  report "find $word ${mode:-(case)} ($count)" "$ours" "$ref"
done
