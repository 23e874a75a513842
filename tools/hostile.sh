#!/usr/bin/env bash
# Builds hostile_inputs in a Release build and runs it: what each hostile input the game has
# been given (archive, movie and picture bombs, endless effects, absurd numbers from scripts and
# settings files, settings files without end) costs on the path the game takes, in peak memory
# and time, one line each.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${MJ_BUILD_DIR:-$root/build}

bash "$root/tools/install-deps.sh"
cmake -S "$root" -B "$build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMJ_TESTS=OFF >/dev/null
cmake --build "$build/release" -j "$(nproc)" --target hostile_inputs
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$build/release/bin/hostile_inputs" --source "$root"
