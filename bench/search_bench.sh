#!/usr/bin/env bash
# Search and Replace All on a 100 MB HTML file against grep and sed on the
# same file in the same run. Usage: bench/search_bench.sh [build dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/bench}
file=${TAGSMITH_BENCH_FILE:-/tmp/tagsmith-search-100mb.htm}
rare=Quastenflosser
rare_nonascii=Weißwürste
frequent=und
replacement=oder

. "$root/bench/build.sh"
bench_build "$build" search_bench
bench=$build/bench/search_bench

[[ -f $file ]] || "$bench" --generate "$file" 100
cat "$file" >/dev/null # into the page cache for every contestant

# Median wall time in ms of three runs of a command, output discarded.
timed() {
  local runs=() TIMEFORMAT=%R t
  for _ in 1 2 3; do
    t=$( { time "$@" >/dev/null; } 2>&1 )
    runs+=("$(awk -v s="$t" 'BEGIN { printf "%.0f", s * 1000 }')")
  done
  printf '%s\n' "${runs[@]}" | sort -n | sed -n 2p
}

echo "file $file ($(stat -c %s "$file") bytes), locale ${LC_ALL:-${LANG:-C}}"
echo "== references (median of 3 runs)"
REF_GREP=$(timed grep -c -F "$rare" "$file")
REF_GREP_I=$(timed grep -c -i -F "${rare,,}" "$file")
REF_GREP_I_NONASCII=$(timed grep -c -i -F "${rare_nonascii,,}" "$file")
REF_SED=$(timed sed "s/$frequent/$replacement/g" "$file")
export REF_GREP REF_GREP_I REF_GREP_I_NONASCII REF_SED
printf '%-34s %8s ms\n' "grep -c -F $rare" "$REF_GREP"
printf '%-34s %8s ms\n' "grep -c -i -F ${rare,,}" "$REF_GREP_I"
printf '%-34s %8s ms\n' "grep -c -w -F $rare" "$(timed grep -c -w -F "$rare" "$file")"
printf '%-34s %8s ms\n' "grep -c -i -F ${rare_nonascii,,}" "$REF_GREP_I_NONASCII"
printf '%-34s %8s ms\n' "sed s/$frequent/$replacement/g" "$REF_SED"
echo "  ($(grep -o -F "$frequent" "$file" | wc -l) occurrences of $frequent)"

echo "== Tagsmith (median of 5 runs for find, of 3 for replace all in memory; x ref = time / reference above)"
out=$(mktemp /tmp/tagsmith-search-out.XXXXXX)
sedout=$(mktemp /tmp/tagsmith-search-sed.XXXXXX)
trap 'rm -f "$out" "$sedout"' EXIT
QT_QPA_PLATFORM=offscreen "$bench" "$file" "$rare" "$rare_nonascii" "$frequent" "$replacement" "$out" 2> >(grep -v XDG_RUNTIME_DIR >&2)
sed "s/$frequent/$replacement/g" "$file" >"$sedout"
if cmp -s "$out" "$sedout"; then echo "replace all result equals sed's: yes"; else echo "replace all result equals sed's: NO"; exit 1; fi
