#!/usr/bin/env bash
# The character-sized window under a real X server and window manager: its outline as the X
# server holds it equals the region record moved to the frame offset, it stays on top and off
# the taskbar and pager, and switching stay-on-top off and on keeps the outline and skip states.
source "$(dirname "$0")/lib.sh"
x_start
: "${SHAPED_WINDOW_APP:?names the test program}"

mkfifo "$E2E_TMP/in"
"$SHAPED_WINDOW_APP" "$E2E_TMP" <"$E2E_TMP/in" >"$E2E_TMP/out" 2>"$E2E_TMP/err" &
e2e_track $!
exec 4>"$E2E_TMP/in"

# Waits for the program's answer to a step and prints its window id.
answer() {
  if ! wait_until 100 grep -q "^$1 " "$E2E_TMP/out"; then
    cat "$E2E_TMP/err" >&2
    fail "the program did not answer '$1'"
  fi
  sed -n "s/^$1 //p" "$E2E_TMP/out" | tail -n 1
}

expect_state() { # window, state, present|absent
  if [ "$3" = present ]; then
    wait_until 50 window_has_state "$1" "$2" || fail "$2 missing: $(window_states "$1" | xargs)"
  else
    wait_until 50 bash -c "! xprop -id $1 _NET_WM_STATE | grep -q '$2\\b'" ||
      fail "$2 still set: $(window_states "$1" | xargs)"
  fi
}

expect_outline() {
  window_shape_equals "$1" "$E2E_TMP/expected" || fail "outline differs ($2)"
  # The record's box (8,40)-(70,168) moved to (5,18) spans 62 x 128 pixels.
  [ "$(window_shape_extents "$1")" = "62x128+5+18" ] ||
    fail "shape extents $(window_shape_extents "$1") ($2)"
}

# The window under a screen point as the server dispatches input, among the program's window
# and the frame the window manager put around it.
pointer_hits() { # window, x, y
  xdotool mousemove "$2" "$3"
  local under frame
  under=$(xdotool getmouselocation --shell | sed -n 's/^WINDOW=//p')
  frame=$(xwininfo -tree -id "$1" | sed -n 's/^ *Parent window id: \(0x[0-9a-f]*\).*/\1/p')
  [ "$under" = "$(($1))" ] || [ "$under" = "$((frame))" ]
}

id=$(answer ready)
wait_until 50 xwininfo -id "$id" || fail "window $id never appeared"
wait_until 50 bash -c "xwininfo -id $id | grep -q IsViewable" || fail "window $id not mapped"

expect_outline "$id" "shown"
for s in _NET_WM_STATE_ABOVE _NET_WM_STATE_SKIP_TASKBAR _NET_WM_STATE_SKIP_PAGER; do
  expect_state "$id" "$s" present
done

# Clicks reach her only where she is drawn. Window pixel (40,40) is inside the outline, (2,2)
# is outside its box and (37,65) lies in its hole.
read -r left top < <(xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}')
pointer_hits "$id" $((left + 40)) $((top + 40)) || fail "a click inside the outline misses the window"
! pointer_hits "$id" $((left + 2)) $((top + 2)) || fail "a click outside the outline hits the window"
! pointer_hits "$id" $((left + 37)) $((top + 65)) || fail "a click into the hole hits the window"

# What the screen shows: red inside the outline, the desktop elsewhere.
screenshot "$E2E_TMP/shot.png"
pixel() {
  convert "$E2E_TMP/shot.png" -format \
    "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:
}
[ "$(pixel $((left + 40)) $((top + 40)))" = "255,0,0" ] || fail "no red inside the outline"
[ "$(pixel $((left + 2)) $((top + 2)))" != "255,0,0" ] || fail "red outside the outline"
[ "$(pixel $((left + 37)) $((top + 65)))" != "255,0,0" ] || fail "red in the outline's hole"

echo "ontop 0" >&4
[ "$(answer "done ontop 0")" = "$id" ] || fail "switching stay-on-top re-created the window"
expect_state "$id" _NET_WM_STATE_ABOVE absent
expect_state "$id" _NET_WM_STATE_SKIP_TASKBAR present
expect_state "$id" _NET_WM_STATE_SKIP_PAGER present
expect_outline "$id" "after stay-on-top off"

echo "ontop 1" >&4
[ "$(answer "done ontop 1")" = "$id" ] || fail "switching stay-on-top re-created the window"
expect_state "$id" _NET_WM_STATE_ABOVE present
expect_state "$id" _NET_WM_STATE_SKIP_TASKBAR present
expect_state "$id" _NET_WM_STATE_SKIP_PAGER present
expect_outline "$id" "after stay-on-top on"

# Qt re-creating the native window (a flag change on the widget does) must not bring back a
# taskbar entry: the skip states go onto the new X window too. A backend that keeps its X window
# (SHAPED_WINDOW_KEEPS_ID=1) withdraws and maps it again instead, and the same must hold.
echo recreate >&4
new_id=$(answer "done recreate")
if [ "${SHAPED_WINDOW_KEEPS_ID:-0}" != 1 ]; then
  [ "$new_id" != "$id" ] || fail "the native window was not re-created"
fi
wait_until 50 bash -c "xwininfo -id $new_id | grep -q IsViewable" || fail "new window not mapped"
expect_state "$new_id" _NET_WM_STATE_SKIP_TASKBAR present
expect_state "$new_id" _NET_WM_STATE_SKIP_PAGER present
expect_state "$new_id" _NET_WM_STATE_ABOVE present
expect_outline "$new_id" "after re-creation"
id=$new_id

echo quit >&4
exec 4>&-
wait_until 50 bash -c "! xwininfo -id $id" || fail "the program did not end"
echo "shaped window: all checks passed"
