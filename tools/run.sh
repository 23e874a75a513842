#!/usr/bin/env bash
# Starts the game: installs the Debian packages that are missing, builds a release build of the
# program and of the demo data kit (both land in build/release/data, the program's own folder, where
# it also keeps its settings and saves under save/) and runs it. Arguments go to the program
# ("--lobby" opens the network lobby from the title, "--help" lists them). Build output goes to
# standard error.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${MJ_BUILD_DIR:-$root/build}

{
  bash "$root/tools/install-deps.sh"
  cmake -S "$root" -B "$build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMJ_TESTS=OFF >/dev/null
  cmake --build "$build/release" -j "$(nproc)" --target mj-game demo_kit
} >&2
exec "$build/release/data/mj-game" "$@"
