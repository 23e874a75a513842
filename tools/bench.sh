#!/usr/bin/env bash
# Builds the benchmarks in a Release build and runs them all, printing their figures.
# Arguments are passed to every benchmark (for example --benchmark_filter=Lerp).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${MJ_BUILD_DIR:-$root/build}

bash "$root/tools/install-deps.sh"
cmake -S "$root" -B "$build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMJ_TESTS=OFF >/dev/null
cmake --build "$build/release" -j "$(nproc)" --target bench-all
for b in $(cat "$build/release/bench_targets.txt"); do
  echo "== $(basename "$b")"
  "$b" "$@"
done
