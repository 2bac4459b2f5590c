# Sourced by the benchmark scripts. bench_build <build-dir> <target>: builds
# one benchmark in an optimised build folder, configuring it the first time.
bench_build() {
  local build=$1 target=$2 source
  source=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  if [[ ! -f "$build/build.ninja" ]]; then
    cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAGSMITH_TESTS=OFF -DTAGSMITH_BENCH=ON >/dev/null
  fi
  cmake --build "$build" --target "$target" >/dev/null
}
