#!/usr/bin/env bash
# Runs one command with an X display of its own: starts Xvfb on a free display number, passes
# it to the command as MJ_XDISPLAY, and stops the server when the command ends. The window tests
# run through this, so no two of them draw on one screen. Without Xvfb the command runs without
# a display (the window tests then skip). MJ_XVFB_DISPLAYS=FIRST-LAST keeps the server to those
# display numbers; by default Xvfb picks the first free one.
set -uo pipefail
[ $# -gt 0 ] || { echo "usage: with-xvfb.sh COMMAND [ARGUMENT...]" >&2; exit 2; }
command -v Xvfb >/dev/null || exec "$@"

dir=$(mktemp -d)
xvfb_pid="" display=""
stop() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
  fi
}
trap 'stop; rm -rf "$dir"' EXIT
mkfifo "$dir/ready"

# Starts Xvfb (on the given display, or on a free one with none given) and waits until it
# accepts clients: it then writes its display number to the pipe. Without -noreset the server
# resets whenever its last client leaves, and a test's next window could not connect meanwhile. Sets `display`; empty when
# the server did not start.
start() {
  Xvfb "$@" -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$dir/ready" >"$dir/log" 2>&1 &
  xvfb_pid=$!
  display=""
  read -r -t 30 display <"$dir/ready" || display=""
  [ -n "$display" ] || stop
}

if [ -n "${MJ_XVFB_DISPLAYS:-}" ]; then
  first=${MJ_XVFB_DISPLAYS%-*} last=${MJ_XVFB_DISPLAYS#*-}
  for n in $(seq "$first" "$last"); do
    [ -e "/tmp/.X$n-lock" ] && continue
    start ":$n"
    [ -n "$display" ] && break
  done
else
  start
fi
if [ -z "$display" ]; then
  echo "with-xvfb.sh: no X display could be started" >&2
  cat "$dir/log" >&2
  exit 1
fi

MJ_XDISPLAY=":$display" "$@"
