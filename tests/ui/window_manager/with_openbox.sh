#!/usr/bin/env bash
# Runs a command under a new X server of its own (Xvfb, on a display number
# the server picks itself) with the openbox window manager, or with none, and
# stops both afterwards:
#   with_openbox.sh WIDTHxHEIGHT openbox|none command [arguments...]
set -euo pipefail
size="$1"
manager="$2"
shift 2
work="$(mktemp -d)"
xvfb=""
wm=""
cleanup() {
  [ -n "$wm" ] && kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Waits up to 90 s (a loaded machine starts slowly) for `check` to succeed.
wait_for() {
  for _ in $(seq 900); do
    "$@" && return 0
    sleep 0.1
  done
  echo "with_openbox.sh: gave up waiting for: $*" >&2
  cat "$work"/*.log >&2
  return 1
}

Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" \
  >"$work/xvfb.log" 2>&1 &
xvfb=$!
wait_for test -s "$work/display"
export DISPLAY=":$(head -n 1 "$work/display")"

if [ "$manager" = openbox ]; then
  # The window manager announces itself on the root window once it manages windows.
  HOME="$work" openbox --sm-disable >"$work/openbox.log" 2>&1 &
  wm=$!
  wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
  wait_for wm_ready
fi

export QT_QPA_PLATFORM=xcb
"$@"
