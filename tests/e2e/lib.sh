#!/usr/bin/env bash
# Shared helpers for the end-to-end tests: a private X server with a window manager, and readers
# for what the X server knows about a window. Source it, then call x_start.
#
# Every test gets its own Xvfb on a display number the server picks itself (-displayfd), so tests
# may run in parallel and need no DISPLAY of their own. Everything started here is stopped on exit.

set -euo pipefail

E2E_TMP=""
E2E_PIDS=()

e2e_cleanup() {
  local pid
  for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
    pid=${E2E_PIDS[i]}
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${E2E_PIDS[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  E2E_PIDS=()
  if [ -n "$E2E_TMP" ]; then
    rm -rf "$E2E_TMP"
  fi
}
trap e2e_cleanup EXIT
trap 'exit 130' INT TERM

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Remembers a background process so that cleanup stops it.
e2e_track() {
  E2E_PIDS+=("$1")
}

# Polls a command until it succeeds; gives up after the given number of tenths of a second.
wait_until() {
  local tenths=$1
  shift
  local i
  for ((i = 0; i < tenths; i++)); do
    if "$@" >/dev/null 2>&1; then
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Starts Xvfb and openbox and exports DISPLAY; returns once the window manager manages new
# windows. Its supporting-window property appears well before that, while openbox still loads
# its theme, so the probe maps a window and waits until openbox has framed it.
# With "bare", no window manager runs.
x_start() {
  : "${SHAPE_PROBE:?SHAPE_PROBE names the shape_probe program}"
  E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/nyarumi-e2e.XXXXXX")
  # Qt and openbox want private runtime and config folders; as root on a fresh machine none exist.
  export XDG_RUNTIME_DIR=$E2E_TMP/run XDG_CONFIG_HOME=$E2E_TMP/config XDG_CACHE_HOME=$E2E_TMP/cache
  mkdir -m 700 -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
  unset WAYLAND_DISPLAY SESSION_MANAGER

  local fifo=$E2E_TMP/displayfd
  mkfifo "$fifo"
  Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x800x24 3>"$fifo" \
    >"$E2E_TMP/xvfb.log" 2>&1 &
  e2e_track $!
  local number=""
  if ! read -r -t 20 number <"$fifo" || [ -z "$number" ]; then
    cat "$E2E_TMP/xvfb.log" >&2
    fail "Xvfb did not start"
  fi
  export DISPLAY=:$number

  if [ "${1:-}" = bare ]; then
    return 0
  fi
  openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
  e2e_track $!
  if ! "$SHAPE_PROBE" wm-ready; then
    cat "$E2E_TMP/openbox.log" >&2
    fail "openbox did not take over display $DISPLAY"
  fi
  # The server gives the next client the probe's slot and with it the probe's window ids, and
  # openbox may still act on late events of the probe's window. A client that stays connected
  # takes that slot first.
  xprop -root -spy _NET_SUPPORTING_WM_CHECK >"$E2E_TMP/slot" 2>&1 &
  e2e_track $!
  wait_until 100 test -s "$E2E_TMP/slot" || fail "xprop did not connect to $DISPLAY"
}

# The window's shape extents as xwininfo reports them ("WxH+X+Y"), empty when it has no shape.
window_shape_extents() {
  xwininfo -shape -id "$1" | sed -n 's/^ *Window shape extents: *//p'
}

# The window's shape rectangles, "bounding|input LEFT TOP RIGHT BOTTOM" per line (right and
# bottom exclusive). xwininfo only reports the extents, so a small xcb program reads them.
window_shape_rects() {
  "${SHAPE_PROBE:?SHAPE_PROBE names the shape_probe program}" rects "$1"
}

# Succeeds when the window's visible and clickable pixels are exactly those of the rectangles
# in a file ("LEFT TOP RIGHT BOTTOM" per line, window coordinates).
window_shape_equals() {
  "${SHAPE_PROBE:?SHAPE_PROBE names the shape_probe program}" compare "$1" "$2"
}

# The window's _NET_WM_STATE atoms, one per line.
window_states() {
  xprop -id "$1" _NET_WM_STATE | sed -n 's/^_NET_WM_STATE(ATOM) = //p' | tr ',' '\n' | tr -d ' '
}

window_has_state() {
  window_states "$1" | grep -qx "$2"
}

# Saves the whole screen as a picture file (PNG by its name).
screenshot() {
  import -window root "$1"
}

# Saves what the screen shows under a window's rectangle (a PPM file) and prints the window's
# "LEFT TOP" at that moment: one request with the server grabbed, so picture and place agree.
window_shot() { # window file
  "$SHAPE_PROBE" shot "$1" "$2"
}
