#!/usr/bin/env bash
# The About window of the real program: Ctrl+A shows it centred with the version line and blue,
# underlined links; Close hides it and About shows it again where it was; the link menu's copy
# puts the address on the clipboard; a left click hands the address to the desktop's opener.
# Set NYARUMI_E2E_SHOTS to a folder to keep the screenshots.
source "$(dirname "$0")/../lib.sh"
: "${NYARUMI:?names the nyarumi program}"
x_start

readonly WEB="http://nyarumi.example.org/"
readonly SCREEN_W=1280 SCREEN_H=800

# A stand-in opener first in PATH that records what it was asked to open.
mkdir -p "$E2E_TMP/bin"
cat >"$E2E_TMP/bin/xdg-open" <<STUB
#!/bin/sh
printf '%s\n' "\$@" >>"$E2E_TMP/opened"
STUB
chmod +x "$E2E_TMP/bin/xdg-open"
export PATH="$E2E_TMP/bin:$PATH"

shot() {
  if [ -n "${NYARUMI_E2E_SHOTS:-}" ]; then
    mkdir -p "$NYARUMI_E2E_SHOTS"
    import -window root "$NYARUMI_E2E_SHOTS/$1.png"
  fi
}

# Keeps the character away from the About window: she runs after the cursor.
park() { xdotool mousemove 60 60; }

visible_windows() { xdotool search --onlyvisible --pid "$PID" 2>/dev/null; }

# The program's visible window with this client size, or nothing.
window_sized() {
  local id
  for id in $(visible_windows); do
    if xwininfo -id "$id" | grep -q "Width: $1\$" && xwininfo -id "$id" | grep -q "Height: $2\$"; then
      echo "$id"
      return 0
    fi
  done
  return 1
}

# "X Y" of the window's client area on the screen.
client_origin() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}'
}

about_visible() { window_sized 325 124; }

# True when the screen point is off the character's window; she is topmost and would take
# the click.
off_character() {
  local cx cy
  read -r cx cy < <(client_origin "$MAIN")
  (($1 < cx || $1 >= cx + 88 || $2 < cy || $2 >= cy + 154))
}

# True when the character's window and the About window's client area do not overlap.
character_clear_of_about() {
  local cx cy
  read -r cx cy < <(client_origin "$MAIN")
  ((cx + 88 <= X || cx >= X + 325 || cy + 154 <= Y || cy >= Y + 124))
}

# Clicks a screen point once the character has run out of the way, then parks the cursor.
click_at() {
  wait_until 300 off_character "$1" "$2" || fail "the character stays at $1,$2"
  xdotool mousemove "$1" "$2" click "$3" mousemove 60 60
}
about_hidden() { ! window_sized 325 124; }

park
"$NYARUMI" >"$E2E_TMP/out" 2>&1 &
PID=$!
e2e_track $PID
wait_until 100 window_sized 88 154 || fail "the character did not appear: $(cat "$E2E_TMP/out")"
MAIN=$(window_sized 88 154)
about_hidden || fail "the About window shows before it was asked for"

# Ctrl+A on the character opens About.
xdotool windowactivate --sync "$MAIN" || true
xdotool key --clearmodifiers ctrl+a
wait_until 50 about_visible || fail "Ctrl+A did not show the About window"
ABOUT=$(about_visible)
[ "$(xprop -id "$ABOUT" _NET_WM_NAME | sed 's/.* = //')" = '"バージョン情報"' ] ||
  fail "title: $(xprop -id "$ABOUT" _NET_WM_NAME)"
window_has_state "$ABOUT" _NET_WM_STATE_SKIP_TASKBAR || fail "About has a taskbar entry"

# Centred by its outer size, frame included, to the pixel. The frame's size is known only once
# the window manager has framed the window, so wait for that.
frame_extents() { # -> "LEFT RIGHT TOP BOTTOM"
  xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ' ' | tr ',' ' ' | grep .
}
outer_centred() {
  local el er et eb x y
  read -r el er et eb < <(frame_extents "$ABOUT") || return 1
  read -r x y < <(client_origin "$ABOUT")
  [ $((x - el)) -eq $(((SCREEN_W - 325 - el - er) / 2)) ] &&
    [ $((y - et)) -eq $(((SCREEN_H - 124 - et - eb) / 2)) ]
}
wait_until 50 outer_centred || {
  xprop -id "$ABOUT" WM_NORMAL_HINTS >&2
  xwininfo -tree -id "$ABOUT" | grep -i parent >&2
  fail "not centred by its outer size: client at $(client_origin "$ABOUT"), frame $(frame_extents "$ABOUT")"
}
read -r X Y < <(client_origin "$ABOUT")
# For the pictures, wait until she has run off the window: with the focus in the program she
# runs after the parked cursor.
xdotool windowactivate --sync "$ABOUT" || true
wait_until 300 character_clear_of_about || {
  shot stuck
  xdotool getmouselocation >&2
  xprop -root _NET_ACTIVE_WINDOW >&2
  echo "main $MAIN about $ABOUT" >&2
  fail "the character stays on the About window, at $(client_origin "$MAIN")"
}
shot about-first
import -window "$ABOUT" "$E2E_TMP/about.png"
# The links are drawn in pure blue, underlines included: a good number of such pixels.
BLUE=$(convert "$E2E_TMP/about.png" -fill black +opaque '#0000FF' -fill white -opaque '#0000FF' \
  -format '%[fx:int(mean*w*h+0.5)]' info:)
((BLUE > 150)) || fail "links not blue and underlined: $BLUE blue pixels"

# Ctrl+A again changes nothing; Close hides; About shows it again where it was.
xdotool key --clearmodifiers ctrl+a
sleep 0.3
[ "$(client_origin "$ABOUT")" = "$X $Y" ] || fail "a second About moved the window"
click_at $((X + 286)) $((Y + 110)) 1
wait_until 50 about_hidden || fail "Close did not hide the About window"
xdotool windowactivate --sync "$MAIN" || true
xdotool key --clearmodifiers ctrl+a
wait_until 50 about_visible || fail "About did not show the window again"
[ "$(client_origin "$(about_visible)")" = "$X $Y" ] ||
  fail "shown again at $(client_origin "$(about_visible)"), not at $X $Y"

# Right click on the web link, then "コピー(&C)" by its access key.
wait_until 300 off_character $((X + 112)) $((Y + 77)) || fail "the character stays on the link"
xdotool mousemove $((X + 112)) $((Y + 77)) click 3
sleep 0.5
shot link-menu
xdotool key c
park
wait_until 30 bash -c "[ \"\$(xclip -o -selection clipboard)\" = '$WEB' ]" ||
  fail "clipboard holds '$(xclip -o -selection clipboard 2>&1)'"

# A left click hands the address to the opener.
click_at $((X + 112)) $((Y + 77)) 1
wait_until 50 test -s "$E2E_TMP/opened" || fail "the opener was not started"
[ "$(cat "$E2E_TMP/opened")" = "$WEB" ] || fail "opener got: $(cat "$E2E_TMP/opened")"

# Minimising it (the window manager may offer the button) hides it instead: without a taskbar
# entry it could not come back otherwise. About shows it again.
xdotool windowminimize "$(about_visible)"
wait_until 50 about_hidden || fail "a minimised About window stays as it is"
xdotool windowactivate --sync "$MAIN" || true
xdotool key --clearmodifiers ctrl+a
wait_until 50 about_visible || fail "About did not show the window again after minimising"

kill -0 "$PID" || fail "the program ended"
echo "About window: all checks passed"
