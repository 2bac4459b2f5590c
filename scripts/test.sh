#!/usr/bin/env bash
# Builds and runs the whole suite twice: an optimised build, then the same
# tests under AddressSanitizer and UndefinedBehaviorSanitizer.
# With --quick: builds and runs only the unit tests, in the optimised build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
quick=false
case "${1:-}" in
  "") ;;
  --quick) quick=true ;;
  *) echo "usage: $0 [--quick]" >&2; exit 2 ;;
esac
bash "$root/scripts/install-deps.sh" --tests

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

configure() {
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -G Ninja -DTAGSMITH_WERROR=ON "$@" >/dev/null
}

# Line tables only: backtraces keep their file and line, and the build spends
# far less time writing debug information.
optimised=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG")

if $quick; then
  echo "== Unit tests, optimised build"
  configure "$root/build/test" "${optimised[@]}"
  cmake --build "$root/build/test" -j "$jobs" --target unit_tests
  ctest --test-dir "$root/build/test" --output-on-failure -j "$jobs" --timeout 600 -L '^unit$'
  exit 0
fi

run_suite() {
  local dir=$1; shift
  configure "$dir" "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 600
}

echo "== Optimised build"
run_suite "$root/build/test" "${optimised[@]}"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$root/tests/support/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
run_suite "$root/build/asan" -DCMAKE_BUILD_TYPE=Debug -DTAGSMITH_SANITIZE=ON -DTAGSMITH_BENCH=OFF
