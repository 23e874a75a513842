#!/usr/bin/env bash
# Two copies of the release program meet in the network lobby over loopback, on a port given on
# their command lines (default 7123); then hostile peers besiege the serving copy while its chat
# dialog is open, in four sieges one after another (MJ_SIEGE_SECONDS each, 15 by default), and a
# well-behaved peer keeps logging in among them (tests/net/siege.py). Prints each siege's
# figures, the serving copy's memory among them; exits 0 when the copies met, every login took
# under a second and the server's memory grew by less than 128 MB. Runs on an X display of its own
# (Xvfb); the program's questions are answered with xdotool.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${MJ_BUILD_DIR:-$root/build}
usage="usage: bash tools/lobby-check.sh [PORT]
  PORT  the loopback port the two copies meet on, 1 to 65535 (default 7123)
Needs Xvfb and xdotool. Exits with 0 when the copies met and the siege's figures held, 1 when
not (with what the game said), 2 on a bad argument."
case "${1:-}" in
  -h | --help)
    echo "$usage"
    exit 0
    ;;
esac
port=${1:-7123}
if [ $# -gt 1 ] || ! [[ "$port" =~ ^[0-9]{1,5}$ ]] || ((10#$port < 1 || 10#$port > 65535)); then
  echo "lobby-check.sh: expected one port from 1 to 65535, got '$*' (--help lists the arguments)" >&2
  exit 2
fi
port=$((10#$port))
if [ -z "${MJ_XDISPLAY:-}" ]; then exec bash "$root/tools/with-xvfb.sh" bash "$0" "$@"; fi
command -v xdotool >/dev/null || { echo "lobby-check.sh: xdotool is missing (tools/install-deps.sh)" >&2; exit 2; }

{
  cmake -S "$root" -B "$build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMJ_TESTS=OFF >/dev/null
  cmake --build "$build/release" -j "$(nproc)" --target mj-game demo_kit
} >&2

work=$(mktemp -d)
pids=()
# The program turns a termination request into a quit message, which it does not read while a
# question or the chat dialog is open: it is killed outright.
stop() { kill -9 "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; }
# On failure, what each copy of the game said goes to standard error before its folder goes.
cleanup() {
  local status=$?
  for p in "${pids[@]}"; do stop "$p"; done
  if [ "$status" != 0 ]; then
    for out in "$work"/*.out; do
      [ -s "$out" ] || continue
      echo "lobby-check.sh: the $(basename "$out" .out) copy said:" >&2
      cat "$out" >&2
    done
  fi
  rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=$MJ_XDISPLAY SDL_AUDIODRIVER=dummy

start() {  # folder: a copy of the program and its data, started on the lobby
  cp -r "$build/release/data" "$work/$1"
  (cd "$work/$1" && exec ./mj-game --lobby "127.0.0.1:$port" >"$work/$1.out" 2>&1) &
  pids+=($!)
}
# Presses a key in the program's message box (a window named "MAHJONG") once it shows
# (Return: Yes, Escape: No).
answer() {
  local box=""
  for _ in $(seq 200); do
    box=$(xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "MAHJONG".*/\1/p' | head -n 1)
    [ -n "$box" ] && break
    kill -0 "${pids[-1]}" 2>/dev/null || { echo "lobby-check.sh: the game ended before it asked" >&2; exit 1; }
    sleep 0.1
  done
  [ -n "$box" ] || { echo "lobby-check.sh: no question was asked" >&2; exit 1; }
  xdotool windowfocus --sync "$box" 2>/dev/null || true
  xdotool key --window "$box" "$1"
  sleep 0.5
}
# Waits until the log file holds the text.
logged() {
  for _ in $(seq 100); do grep -q "$2" "$work/$1/net.log" 2>/dev/null && return 0; sleep 0.1; done
  echo "lobby-check.sh: $1 never logged \"$2\"" >&2
  return 1
}

start server
answer Return
logged server "TTaskNet::accept()"
start joiner
answer Escape
logged server "addClient 2 "
logged joiner "onRecvJson() + login_complete"
echo "the two copies met in the lobby on port $port"
stop "${pids[1]}"

# The chat key (Escape) opens the dialog in the serving copy, which then stays open.
window=$(xdotool search --pid "${pids[0]}" 2>/dev/null | head -n 1)
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool keydown --window "$window" Escape
sleep 0.2
xdotool keyup --window "$window" Escape
sleep 0.5
# One siege after another: the mixed one from eight addresses with a flood of silent connections,
# then many addresses, each holding few places: one silent connection from each of 64, eight from
# each of 64, and two of every kind in turn from each of 128.
status=0
for siege in "" \
  "--addresses 64 --holders 1 --keepers 0 --flooders 0 --silent-rate 0" \
  "--addresses 64 --holders 8 --keepers 0 --flooders 0 --silent-rate 0" \
  "--addresses 128 --holders 0 --keepers 0 --flooders 0 --mixed 2 --silent-rate 0"; do
  # shellcheck disable=SC2086 # the siege's arguments are words
  python3 "$root/tests/net/siege.py" "$port" --seconds "${MJ_SIEGE_SECONDS:-15}" --pid "${pids[0]}" --max-mb 128 \
    $siege || status=1
  kill -0 "${pids[0]}" 2>/dev/null || { echo "lobby-check.sh: the serving copy has ended" >&2; exit 1; }
done
exit "$status"
