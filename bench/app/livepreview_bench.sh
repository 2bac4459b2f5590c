#!/usr/bin/env bash
# The live preview on a 100 KB page: a keystroke with the preview shown beside
# hidden (at a typist's pace, each key followed by an update, and in a burst),
# and the time from the last keystroke to the updated view beside the pause.
# Usage: bash bench/app/livepreview_bench.sh [build-dir]   (default build/release)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/release}
. "$root/bench/build.sh"
bench_build "$build" livepreview_bench
"$build/bench/app/livepreview_bench" 2>/dev/null
