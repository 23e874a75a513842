#!/usr/bin/env bash
# Builds and runs every test: installs the Debian packages that are missing, checks every include
# and link against the layering (cmake/Layers.cmake), builds the tests under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs them with ctest (each test that needs a real window starts
# an Xvfb display of its own, tools/with-xvfb.sh; heavy loops run a share of their count there),
# then runs each fuzz target under libFuzzer for a bounded time, every simulator match in the
# release build, the thread tests under ThreadSanitizer, and every benchmark once as a smoke run.
# Real benchmark figures come from a Release build: bash tools/bench.sh.
set -euo pipefail
case "${1:-}" in
  "") ;;
  -h | --help)
    cat <<'EOF_USAGE'
usage: bash tools/test.sh [--help]
Installs the Debian packages that are missing, then builds and runs every test: formatting and
layering, the sanitizer build and its tests, the fuzz targets, the heavy tests and the simulator's
matches in the release build, the thread tests under ThreadSanitizer, and a smoke run of every
benchmark. Exits with 0 when all passed. Set in the environment:
  MJ_BUILD_DIR     the folder of the four builds (default: build/ in the source tree)
  MJ_JOBS          jobs at a time (default: the number of cores)
  MJ_FUZZ_SECONDS  the longest run of each fuzz target (default 5)
  MJ_FUZZ_RUNS     the most inputs each fuzz target tries (default 30000)
EOF_USAGE
    exit 0
    ;;
  *)
    echo "test.sh: unknown argument '$1' (--help lists the arguments)" >&2
    exit 2
    ;;
esac
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${MJ_BUILD_DIR:-$root/build}
jobs=${MJ_JOBS:-$(nproc)}
fuzz_seconds=${MJ_FUZZ_SECONDS:-5}
# A fixed seed and a cap on runs make each target's inputs a prefix of one fixed sequence, so a
# slower machine tries fewer of the same inputs rather than different ones.
fuzz_runs=${MJ_FUZZ_RUNS:-30000}

bash "$root/tools/install-deps.sh"

# Each step's heading gives the minutes and seconds since the command started.
step() { printf '\n== %s (at %d:%02d)\n' "$*" $((SECONDS / 60)) $((SECONDS % 60)); }

step "formatting and layering"
# Every C++ file as .clang-format leaves it (bash tools/check-format.sh --fix formats them).
bash "$root/tools/check-format.sh"

step "sanitizer build"
cmake -S "$root" -B "$build/test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMJ_SANITIZE=ON >/dev/null
# Includes and links against the layering (cmake/Layers.cmake) fail here, before anything compiles.
cmake --build "$build/test" --target layering
cmake --build "$build/test" -j "$jobs"

step "tests"
# The leak check's walk of dynamic thread-local storage misreads the blocks of libraries that a
# real X display loads (it crashed in about half the runs of a window test): leave that walk out.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:intercept_tls_get_addr=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# Leaks inside the system libraries that no caller can free are listed there, and only those.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tools/lsan.supp:print_suppressions=0}
(cd "$build/test" && ctest -j "$jobs" --output-on-failure --timeout 900)

step "fuzz targets (libFuzzer, ${fuzz_seconds}s each, $jobs at a time)"
CC=clang CXX=clang++ cmake -S "$root" -B "$build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMJ_FUZZ=ON -DMJ_TESTS=OFF >/dev/null
cmake --build "$build/fuzz" -j "$jobs" --target fuzz-all
# One target: its name and last line, or its whole log and exit 255 (which stops xargs).
fuzz_one() {
  local corpus out=0
  corpus=$(mktemp -d)
  MJ_FUZZ_SEED_DIR="$corpus" "$1" -seed=1 -runs="$fuzz_runs" -max_total_time="$fuzz_seconds" "$corpus" >"$corpus.log" 2>&1 || out=255
  if [ "$out" = 0 ]; then
    printf -- '-- %s\n%s\n' "$(basename "$1")" "$(tail -n 1 "$corpus.log")"
  else
    printf -- '-- %s failed\n' "$(basename "$1")"; cat "$corpus.log"
  fi
  rm -rf "$corpus" "$corpus.log"
  return "$out"
}
export -f fuzz_one
export fuzz_seconds fuzz_runs
xargs -P "$jobs" -n 1 bash -c 'fuzz_one "$0"' <"$build/fuzz/fuzz_targets.txt"

# The sanitizer build runs a share of the heavy tests' loops and of the simulator's matches; the
# release build (the one the run command uses) runs them whole.
step "heavy tests at their whole counts, every simulator match (release build)"
cmake -S "$root" -B "$build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMJ_TESTS=ON >/dev/null
heavy_targets=$(cd "$build/release" && ctest -N -L heavy | sed -n 's/^ *Test *#[0-9]*: *//p')
cmake --build "$build/release" -j "$jobs" --target matchsim $heavy_targets
(cd "$build/release" && ctest -j "$jobs" -L heavy --output-on-failure)
"$build/release/bin/matchsim" --east 200 --east-south 50 --seed 1 --quiet --require-events
"$build/release/bin/matchsim" --east 20 --east-south 5 --seed 1000 --network --vary-rules --quiet

if grep -rqs 'LABELS.*thread' "$root"/tests --include=CMakeLists.txt; then
  step "thread tests under ThreadSanitizer"
  cmake -S "$root" -B "$build/tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMJ_TSAN=ON -DMJ_BENCH=OFF >/dev/null
  # Only the thread tests: each test is named after its program.
  tsan_targets=$(cd "$build/tsan" && ctest -N -L thread | sed -n 's/^ *Test *#[0-9]*: *//p')
  cmake --build "$build/tsan" -j "$jobs" --target $tsan_targets
  (cd "$build/tsan" && ctest -j "$jobs" -L thread --output-on-failure)
fi

step "benchmarks (one short run each, sanitizer build: the figures are not measurements)"
# Each benchmark runs a small share of its work (bench/bench_size.h).
export MJ_BENCH_SMOKE=1
for b in $(cat "$build/test/bench_targets.txt"); do
  "$b" --benchmark_min_time=0.001 >/dev/null 2>&1 || { echo "benchmark failed: $b"; "$b" --benchmark_min_time=0.001; exit 1; }
done

step "all tests passed"
