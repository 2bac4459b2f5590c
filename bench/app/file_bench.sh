#!/usr/bin/env bash
# Open, show, save and type in 50 MB and 200 MB HTML files, and start the
# program; prints the editor's figures (medians of three) beside the bare QScintilla floor,
# QPlainTextEdit, cp and a bare Qt window; the start with ten documents of
# the last run to reopen beside the empty start.
# Usage: bash bench/app/file_bench.sh [build-dir]   (default build/release)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/release}
. "$root/bench/build.sh"
bench_build "$build" file_bench
bin="$build/bench/app/file_bench"
work=${BENCH_DIR:-/tmp/tagsmith-bench}
mkdir -p "$work"

make_file() { # size in MB, path: CR LF lines of markup with some non-ASCII text
  local mb=$1 out=$2
  [[ -f "$out" ]] && return
  python3 - "$mb" "$out" <<'PY'
import sys
mb, out = int(sys.argv[1]), sys.argv[2]
line = '<TR><TD CLASS="c{0}">Zürich {0}</TD><TD><A HREF="page{0}.html">link text for row {0}</A></TD></TR>\r\n'
with open(out, 'wb') as f:
    n, size = 0, 0
    f.write(b'<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML 3.0//EN">\r\n<HTML><BODY><TABLE>\r\n')
    while size < mb * 1000 * 1000:
        b = line.format(n).encode('utf-8'); f.write(b); size += len(b); n += 1
    f.write(b'</TABLE></BODY></HTML>\r\n')
PY
}

field() { sed -n "s/^$1=//p"; }

ms_of() { # wall time of a command in ms
  local t0 t1; t0=$(date +%s%N); "$@" >/dev/null; t1=$(date +%s%N); echo $(( (t1 - t0) / 1000000 ))
}

empty_kib=$("$bin" empty | field peak_kib)
printf '%-8s %-28s %10s %12s\n' size what ms "peak MiB"
for mb in 50 200; do
  f="$work/doc$mb.html"
  make_file "$mb" "$f"
  sync
  cat "$f" >/dev/null  # page cache, as for every other run
  fl=$("$bin" floor "$f"); pl=$("$bin" plain "$f")
  # The editor, cp and the synced copy take turns, three rounds, medians: each
  # starts right after another has freed as much memory, which on a virtual
  # machine decides how dear fresh pages are.
  eds=(); cps=(); syncs=()
  for round in 1 2 3; do
    eds+=("$("$bin" editor "$f")")
    cps+=("$(ms_of cp "$f" "$f.copy")"); rm -f "$f.copy"
    # The editor syncs what it saved to disk; so does this copy.
    syncs+=("$(ms_of dd if="$f" of="$f.copy" bs=4M conv=fsync status=none)"); rm -f "$f.copy"
  done
  med() { printf '%s\n' "$@" | sort -n | sed -n 2p; }
  ed=$(for key in open_ms ready_ms open_peak_kib save_ms peak_kib; do
         echo "$key=$(med $(for e in "${eds[@]}"; do echo "$e" | field "$key"; done))"
       done)
  cp_ms=$(med "${cps[@]}"); cps_ms=$(med "${syncs[@]}")
  bytes=$(stat -c %s "$f")
  printf '%-8s %-28s %10s %12s\n' "${mb}MB" "editor open (to first paint)" "$(echo "$ed" | field open_ms)" $(( $(echo "$ed" | field open_peak_kib) / 1024 ))
  printf '%-8s %-28s %10s\n' "${mb}MB" "editor whole text, editable" "$(echo "$ed" | field ready_ms)"
  printf '%-8s %-28s %10s %12s\n' "${mb}MB" "floor: read+decode+setText" "$(echo "$fl" | field open_ms)" $(( $(echo "$fl" | field peak_kib) / 1024 ))
  printf '%-8s %-28s %10s %12s\n' "${mb}MB" "QPlainTextEdit setPlainText" "$(echo "$pl" | field open_ms)" $(( $(echo "$pl" | field peak_kib) / 1024 ))
  printf '%-8s %-28s %10s %12s\n' "${mb}MB" "editor save" "$(echo "$ed" | field save_ms)" $(( $(echo "$ed" | field peak_kib) / 1024 ))
  printf '%-8s %-28s %10s\n' "${mb}MB" "cp" "$cp_ms"
  printf '%-8s %-28s %10s\n' "${mb}MB" "copy + fsync (dd conv=fsync)" "$cps_ms"
  echo "         each step of opening alone, ms (fresh memory: a buffer the file's size, new and again):"
  "$bin" steps "$f" | grep -v '^checked=1$' | sed 's/_ms=/ /; s/^/           /'
  python3 - "$ed" "$fl" "$cp_ms" "$empty_kib" "$bytes" "$cps_ms" <<'PY'
import sys
def f(text, key):
    for l in text.splitlines():
        if l.startswith(key + '='): return float(l.split('=')[1])
ed, fl, cp, empty, size, cps = sys.argv[1], sys.argv[2], float(sys.argv[3]), float(sys.argv[4]), float(sys.argv[5]), float(sys.argv[6])
# A document over 20 MB may take at most 1.5 times its size, a smaller one twice.
peak_target = 1.5 if size > 20e6 else 2
print('         open / cp = %.2f (target <= 5)   editable / cp = %.2f   open / floor = %.2f   save / (copy + fsync) = %.2f (target <= 1.5)   save / cp = %.2f   (peak - empty) / file = %.2f (target <= %g)' % (
    f(ed, 'open_ms') / max(cp, 1), f(ed, 'ready_ms') / max(cp, 1), f(ed, 'open_ms') / f(fl, 'open_ms'), f(ed, 'save_ms') / max(cps, 1), f(ed, 'save_ms') / max(cp, 1),
    (f(ed, 'peak_kib') - empty) * 1024 / size, peak_target))
PY
done
echo "typing (per keystroke, with repaint and status bar):"
"$bin" typing "$work/doc50.html" | sed 's/^/  /'
echo "recovery journal (keystroke at line 400,000 of 50 MB, off and on alternately; then its whole text written"
echo "while a key comes every 20 ms, beside the same write waited for):"
j=$("$bin" journal "$work/doc50.html"); echo "$j" | sed 's/^/  /'
python3 - "$j" <<'PY'
import sys
v = dict(l.split('=') for l in sys.argv[1].splitlines())
get = lambda suffix: float(next(x for k, x in v.items() if k.endswith(suffix)))
off, on = get('journal_off_ms'), get('journal_on_ms')
print('  journal on / off = %.2f (target <= 1.1)' % (on / off))
print('  whole text in the background: keystroke median %.2f ms, slowest %.1f ms (the copy of the text is in one);'
      ' without a write median %.2f ms, slowest %.1f ms; the same write waited for takes %.0f ms' % (
    get('during_write_median_ms'), get('during_write_max_ms'), get('without_write_median_ms'),
    get('without_write_max_ms'), get('write_waited_ms')))
PY
echo "tag colours (keystroke at line 400,000 of 50 MB; no colouring and QScintilla's HTML lexer beside):"
c=$("$bin" colours "$work/doc50.html"); echo "$c" | sed 's/^/  /'
python3 - "$c" <<'PY'
import sys
v = dict(l.split('=') for l in sys.argv[1].splitlines())
get = lambda suffix: float(next(x for k, x in v.items() if k.endswith(suffix)))
print('  tag colours / plain = %.2f (target <= 1.0, within noise)   tag colours / html lexer = %.2f' % (
    get('tag_colours_ms') / get('plain_ms'), get('tag_colours_ms') / get('html_lexer_ms')))
PY
echo "tag completion (the '/' of \"</\" at line 400,000 of 50 MB beside a letter typed at the top):"
"$bin" closing "$work/doc50.html" | sed 's/^/  /'
echo "start-up to the first painted frame, empty and with 10 documents to reopen (medians of 15 runs, taking turns):"
"$bin" startup | sed 's/^/  /'
