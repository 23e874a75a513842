#!/usr/bin/env bash
# What the game costs while its screen waits for the player: the share of one core the real
# program takes (the run time of its threads from /proc, in nanoseconds, over a sampling window:
# the user and system ticks of 10 ms would measure the peer to a fifth), each scene on an X
# server of its own (tools/with-xvfb.sh):
#   title  the title screen, the pointer over no item;
#   story  the first line of a new game, waiting for a click (its click mark blinks);
#   table  a match at the table (seed 5), waiting for the player.
# Beside each scene, on the same X server and over the same window of time, runs the peer: a
# minimal SDL2 program that opens an 800x600 window, presents once, then polls its events and
# sleeps 16 ms, forever. It is what a program that does nothing at all costs here, so the ratio
# of the two holds on a loaded machine as on an idle one.
# Builds the release programs first, as run.sh and table.sh do, and the peer. One line per scene:
# the scene, the program's and the peer's share of a core in percent, their ratio, and what the
# window showed while it was sampled (photographed about three times a second): "still" when it stayed the
# same, else how many different pictures it showed (the story's blinking mark shows two). Exits 0
# when every scene ran, 1 when one did not.
#
#   idle-cpu.sh [--seconds N] [--game PATH] [--table PATH] [SCENE...]
# --game and --table measure other builds of the two programs (they are not built then).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${MJ_BUILD_DIR:-$root/build}

# Nanoseconds that the threads of a process have run.
cputime() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {printf "%.0f\n", s}'; }

# One scene on the display in MJ_XDISPLAY: scene NAME PROGRAM PEER SECONDS.
scene() {
  local name=$1 program=$2 peer=$3 seconds=$4
  export DISPLAY=$MJ_XDISPLAY
  local log shots
  log=$(mktemp) shots=$(mktemp -d)
  local args=()
  [ "$name" = table ] && args=(--seed 5)
  "$program" "${args[@]}" >"$log" 2>&1 &
  local pid=$! peer_pid="" window=""
  "$peer" >/dev/null 2>&1 &
  peer_pid=$!
  trap 'kill $pid $peer_pid 2>/dev/null || true; wait $pid $peer_pid 2>/dev/null || true; rm -rf "$log" "$shots"' RETURN
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
  if [ "$name" = title ]; then xdotool mousemove --window "$window" 100 500; fi
  sleep 2
  local t0 t1 p0 p1 s0 s1 n=0
  t0=$(cputime "$pid") p0=$(cputime "$peer_pid") s0=$(date +%s.%N)
  # Photographs of the window through the window of time; the X server takes them, not the game.
  local end
  end=$(awk -v s="$s0" -v d="$seconds" 'BEGIN { printf "%.3f", s + d }')
  while awk -v e="$end" -v n="$(date +%s.%N)" 'BEGIN { exit !(n < e) }'; do
    xwd -id "$window" -silent >"$shots/$n" 2>/dev/null || true
    n=$((n + 1))
    # Not a multiple of the click mark's blink (a quarter of a second), whose phase it would
    # otherwise catch the same each time.
    sleep 0.37
  done
  t1=$(cputime "$pid") p1=$(cputime "$peer_pid") s1=$(date +%s.%N)
  local pictures
  pictures=$(cd "$shots" && md5sum -- * 2>/dev/null | awk '{print $1}' | sort -u | wc -l)
  awk -v n="$name" -v t="$((t1 - t0))" -v p="$((p1 - p0))" -v s0="$s0" -v s1="$s1" \
    -v pictures="$pictures" -v shots="$n" \
    'BEGIN {
       g = 100 * t / 1e9 / (s1 - s0); q = 100 * p / 1e9 / (s1 - s0)
       shown = pictures <= 1 ? "still" : pictures " pictures in " shots " photographs"
       ratio = q > 0 ? sprintf("%5.1fx", g / q) : "    -"
       printf "%-6s %6.2f %% of a core   peer %5.2f %%   ratio %s   %s\n", n, g, q, ratio, shown
     }'
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

# The peer, built beside the release programs.
peer=$build/release/bin/idle-peer
mkdir -p "$(dirname "$peer")"
cat >"$peer.c" <<'EOF'
#include <SDL.h>

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_Window* w = SDL_CreateWindow("peer", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 800, 600, 0);
  SDL_Renderer* r = w ? SDL_CreateRenderer(w, -1, 0) : NULL;
  if (!r) return 1;
  SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
  SDL_RenderClear(r);
  SDL_RenderPresent(r);
  for (;;) {
    SDL_Event e;
    while (SDL_PollEvent(&e))
      if (e.type == SDL_QUIT) return 0;
    SDL_Delay(16);
  }
}
EOF
if [ ! -x "$peer" ] || [ "$peer.c" -nt "$peer" ]; then
  # shellcheck disable=SC2046
  cc -O2 -o "$peer" "$peer.c" $(pkg-config --cflags --libs sdl2)
fi

status=0
for s in "${scenes[@]}"; do
  program=$game
  [ "$s" = table ] && program=$table
  line=$(bash "$root/tools/with-xvfb.sh" "$root/tools/idle-cpu.sh" --scene "$s" "$program" "$peer" "$seconds" || true)
  echo "$line"
  case $line in
    "$s "*"% of a core"*) ;;
    *) status=1 ;;
  esac
done
exit $status
