#!/usr/bin/env bash
# Plays a match at the table in the game window: installs the Debian packages that are missing,
# builds a release build of the table-client program with its pictures, and starts it. Arguments
# are passed on to it (`--seed N`, `--autoplay`, `--fast`, `--help`).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${MJ_BUILD_DIR:-$root/build}

{
  bash "$root/tools/install-deps.sh"
  cmake -S "$root" -B "$build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMJ_TESTS=OFF >/dev/null
  cmake --build "$build/release" -j "$(nproc)" --target mjtable demo_kit
} >&2
exec "$build/release/bin/mjtable" "$@"
