#!/usr/bin/env bash
# What the game costs while its screen stands still: the share of one core the real program takes
# (its user and system time from /proc over a sampling window), each scene on an X server of its
# own (tools/with-xvfb.sh):
#   title  the title screen, the pointer over no item;
#   story  the first line of a new game, waiting for a click;
#   table  a match at the table (seed 5), waiting for the player.
# Builds the release programs first, as run.sh and table.sh do. One line per scene: the scene,
# the share of a core in percent, and whether the window's picture stayed the same while it was
# sampled (a scene that was still moving measures something else).
#
#   idle-cpu.sh [--seconds N] [--game PATH] [--table PATH] [SCENE...]
# --game and --table measure other builds of the two programs (nothing is built then).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${MJ_BUILD_DIR:-$root/build}

# One scene on the display in MJ_XDISPLAY: scene NAME PROGRAM SECONDS.
scene() {
  local name=$1 program=$2 seconds=$3
  export DISPLAY=$MJ_XDISPLAY
  local log shots
  log=$(mktemp) shots=$(mktemp -d)
  local args=()
  [ "$name" = table ] && args=(--seed 5)
  "$program" "${args[@]}" >"$log" 2>&1 &
  local pid=$! window=""
  trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null; rm -rf "$log" "$shots"' RETURN
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1) && [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "$name: no window"; cat "$log" >&2; return 1; }
  sleep 6
  if [ "$name" = story ]; then
    # NEW GAME, held down long enough for a frame to see the button pressed.
    xdotool mousemove --window "$window" 637 409
    sleep 0.5
    xdotool mousedown 1
    sleep 0.2
    xdotool mouseup 1
    sleep 10
  fi
  [ "$name" = title ] && xdotool mousemove --window "$window" 100 500
  sleep 2
  local hz t0 t1 s0 s1
  hz=$(getconf CLK_TCK)
  xwd -id "$window" -silent >"$shots/before"
  t0=$(awk '{print $14 + $15}' "/proc/$pid/stat") s0=$(date +%s.%N)
  sleep "$seconds"
  t1=$(awk '{print $14 + $15}' "/proc/$pid/stat") s1=$(date +%s.%N)
  xwd -id "$window" -silent >"$shots/after"
  local still=no
  cmp -s "$shots/before" "$shots/after" && still=yes
  awk -v n="$name" -v t="$((t1 - t0))" -v hz="$hz" -v s0="$s0" -v s1="$s1" -v still="$still" \
    'BEGIN { printf "%-6s %6.2f %% of a core   still: %s\n", n, 100 * t / hz / (s1 - s0), still }'
}

if [ "${1:-}" = --scene ]; then
  shift
  scene "$@"
  exit
fi

seconds=10 game="" table="" scenes=()
while [ $# -gt 0 ]; do
  case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --game) game=$2; shift 2 ;;
    --table) table=$2; shift 2 ;;
    title|story|table) scenes+=("$1"); shift ;;
    *) echo "usage: idle-cpu.sh [--seconds N] [--game PATH] [--table PATH] [title|story|table...]" >&2; exit 2 ;;
  esac
done
[ ${#scenes[@]} -gt 0 ] || scenes=(title story table)
if [ -z "$game" ] || [ -z "$table" ]; then
  {
    bash "$root/tools/install-deps.sh"
    cmake -S "$root" -B "$build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMJ_TESTS=OFF >/dev/null
    cmake --build "$build/release" -j "$(nproc)" --target mj-game mjtable demo_kit
  } >&2
  game=${game:-$build/release/data/mj-game}
  table=${table:-$build/release/bin/mjtable}
fi
for s in "${scenes[@]}"; do
  program=$game
  [ "$s" = table ] && program=$table
  bash "$root/tools/with-xvfb.sh" "$root/tools/idle-cpu.sh" --scene "$s" "$program" "$seconds"
done
