#!/usr/bin/env bash
# Checking a 1 MB page (F7 to the listed result, the check on a worker
# thread) beside the tidy command on the same file, and a keystroke in that
# page with the problem list shown beside hidden.
# Usage: bash bench/app/check_bench.sh [build-dir]   (default build/release)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/release}
. "$root/bench/build.sh"
bench_build "$build" check_bench
bin="$build/bench/app/check_bench"
work=${BENCH_DIR:-/tmp/tagsmith-bench}
mkdir -p "$work"
page="$work/check1.html"

# CR LF lines of a table with some non-ASCII text; one row in 50 carries an
# attribute HTML does not know, one in 100 an image without ALT.
[[ -f "$page" ]] || /usr/bin/python3 - "$page" <<'PY'
import sys
row = '<TR><TD CLASS="c{0}"{1}>Zürich {0}</TD><TD><A HREF="page{0}.html">link text for row {0}</A>{2}</TD></TR>\r\n'
with open(sys.argv[1], 'wb') as f:
    f.write(b'<!DOCTYPE html>\r\n<HTML><HEAD><TITLE>Rows</TITLE></HEAD><BODY><TABLE>\r\n')
    n, size = 0, 0
    while size < 1000 * 1000:
        b = row.format(n, ' FOO="x"' if n % 50 == 0 else '', '<IMG SRC="p.png">' if n % 100 == 0 else '').encode('utf-8')
        f.write(b); size += len(b); n += 1
    f.write(b'</TABLE></BODY></HTML>\r\n')
PY
cat "$page" >/dev/null

command -v tidy >/dev/null || { echo "the tidy command is missing: apt-get install tidy" >&2; exit 1; }
tidy_runs=()
for _ in 1 2 3 4 5 6 7 8 9; do
  t0=$(date +%s%N); tidy -q -e "$page" >/dev/null 2>&1 || true; t1=$(date +%s%N)
  tidy_runs+=($(( (t1 - t0) / 1000000 )))
done
tidy_ms=$(printf '%s\n' "${tidy_runs[@]}" | sort -n | sed -n 5p)

echo "checking a 1 MB page ($(stat -c %s "$page") bytes), medians of 9:"
c=$("$bin" check "$page"); echo "$c" | sed 's/^/  /'
echo "  tidy command (tidy -q -e) = $tidy_ms ms"
/usr/bin/python3 - "$c" "$tidy_ms" <<'PY'
import sys
v = dict(l.split('=') for l in sys.argv[1].splitlines())
check, ui, tidy = float(v['check_ms']), float(v['check_ui_thread_cpu_ms']), float(sys.argv[2])
print('  check / tidy command = %.2f   user-interface thread / check = %.2f' % (
    check / max(tidy, 1), ui / check))
PY
echo "a keystroke in the middle of that page (medians; list hidden and shown taking turns):"
"$bin" typing "$page" | sed 's/^/  /'
