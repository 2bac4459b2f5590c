#!/usr/bin/env bash
# Installs what is missing, builds a release build and starts Tagsmith.
# Arguments are passed to the editor (a first argument containing ".htm" is opened).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DTAGSMITH_TESTS=OFF -DTAGSMITH_BENCH=OFF >/dev/null
cmake --build "$root/build/release" --target tagsmith
exec "$root/build/release/src/tagsmith" "$@"
