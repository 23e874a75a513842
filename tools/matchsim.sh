#!/usr/bin/env bash
# Runs the match simulator: installs the Debian packages that are missing, builds a release build
# and plays seeded matches of four computer players through the game server, one JSON line per
# match and a summary. Arguments are passed on to it after the short default (4 east-round matches
# and no east-and-south ones), so any argument given replaces only its own part of that default:
# `matchsim.sh --quiet` still plays 4 matches. Everything but the simulator's results goes to
# standard error, so `bash tools/matchsim.sh | jq .` reads only JSON.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${MJ_BUILD_DIR:-$root/build}

{
  bash "$root/tools/install-deps.sh"
  cmake -S "$root" -B "$build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMJ_TESTS=OFF >/dev/null
  cmake --build "$build/release" -j "$(nproc)" --target matchsim
} >&2
exec "$build/release/bin/matchsim" --east 4 --east-south 0 "$@"
