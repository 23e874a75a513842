#!/usr/bin/env bash
# Starts the program: installs the Debian packages that are missing, builds a release build and
# runs the most complete program the project has. Arguments are passed on to it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${MJ_BUILD_DIR:-$root/build}

bash "$root/tools/install-deps.sh"
cmake -S "$root" -B "$build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMJ_TESTS=OFF >/dev/null
cmake --build "$build/release" -j "$(nproc)" --target mj-run
exec "$build/release/bin/mj-run" "$@"
