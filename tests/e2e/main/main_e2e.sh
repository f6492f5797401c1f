#!/usr/bin/env bash
# The nyarumi program end to end under a private Xvfb with openbox (or none), driven by xdotool.
# Usage: main_e2e.sh CASE   (NYARUMI names the program; SHAPE_PROBE the shape reader)
# Cases: start chase edge_right edge_left menu quit ontop drawing, and bare_ontop (no window
# manager at all)
# With NYARUMI_SHOTS set to a folder, "drawing" leaves its screenshots of her there.
source "$(dirname "$0")/../lib.sh"
: "${NYARUMI:?names the nyarumi program}"

SCREEN_W=1280
SCREEN_H=800
DESKTOP=58,110,165 # the desktop colour, so that any white around her shows

# --- Her process and window

start_nyarumi() {
  "$NYARUMI" >"$E2E_TMP/nyarumi.log" 2>&1 &
  NY_PID=$!
  e2e_track "$NY_PID"
  if ! wait_until 100 her_window; then
    cat "$E2E_TMP/nyarumi.log" >&2
    fail "her window never appeared"
  fi
}

# Her window's id; searched afresh, since a toolkit may re-create a native window.
her_window() {
  xdotool search --all --onlyvisible --pid "$NY_PID" --name '^Nyarumi$' 2>/dev/null | head -n 1 | grep .
}

# "LEFT TOP" of a window on the screen.
position() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}'
}

her_position() {
  position "$(her_window)"
}

# Prints "LEFT TOP" once she has kept still for the given tenths of a second; fails after the
# second number of tenths.
wait_still() {
  local quiet=$1 limit=$2 last now same=0 i
  last=$(her_position)
  for ((i = 0; i < limit; i++)); do
    sleep 0.1
    now=$(her_position)
    if [ "$now" = "$last" ]; then
      ((++same >= quiet)) && { echo "$now"; return 0; }
    else
      same=0
      last=$now
    fi
  done
  fail "she did not come to rest (last at $last)"
}

# A screen point on her visible pixels: the centre of the largest rectangle of her outline.
on_her() {
  local id left top
  id=$(her_window)
  read -r left top < <(position "$id")
  window_shape_rects "$id" | awk -v l="$left" -v t="$top" '
    $1 == "bounding" { a = ($4 - $2) * ($5 - $3); if (a > best) { best = a; x = int(($2 + $4) / 2); y = int(($3 + $5) / 2) } }
    END { print l + x, t + y }'
}

# Her popup menus on the screen: mapped override-redirect windows of her process.
her_menus() {
  local w info
  for w in $(xwininfo -root -children | sed -n 's/^ *\(0x[0-9a-f]*\) .*/\1/p'); do
    info=$(xwininfo -id "$w" 2>/dev/null) || continue
    if grep -q IsViewable <<<"$info" && grep -q 'Override Redirect State: yes' <<<"$info" &&
      xprop -id "$w" _NET_WM_PID 2>/dev/null | grep -q "= $NY_PID\$"; then
      echo "$w"
    fi
  done
}

menu_open() { [ -n "$(her_menus)" ]; }
menu_closed() { [ -z "$(her_menus)" ]; }

# Paints the desktop one colour.
paint_desktop() {
  convert -size "${SCREEN_W}x${SCREEN_H}" "xc:rgb($DESKTOP)" "$E2E_TMP/desktop.png"
  # display sets the root background and then reports a failure of its own: judge by the screen.
  display -window root "$E2E_TMP/desktop.png" >/dev/null 2>&1 || true
}

# Her window's pixels that lie outside every frame's outline must show the desktop: no box
# around her. The outlines all lie within (5, 17)-(83, 146) of the window.
check_no_box() { # picture left top
  local bad
  bad=$(convert "$1" -crop "88x154+$2+$3" +repage -depth 8 txt:- | awk -v want="$DESKTOP" '
    NR > 1 {
      split($1, p, /[,:]/); x = p[1]; y = p[2]
      if (x >= 5 && x < 83 && y >= 17 && y < 146) next
      c = $2; gsub(/[()]/, "", c); split(c, v, ",")
      rgb = int(v[1]) "," int(v[2]) "," int(v[3])
      if (rgb != want) { print x "," y " is " rgb; exit }
    }')
  [ -z "$bad" ] || fail "beside her outline, pixel $bad instead of the desktop"
}

# The outer right and left edges of a managed window, frame included.
outer_edges() { # window -> "LEFT RIGHT"
  local left top width ext
  read -r left top < <(position "$1")
  width=$(xwininfo -id "$1" | awk '/^ *Width:/ {print $2}')
  ext=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ' ')
  IFS=, read -r el er _ _ <<<"${ext:-0,0,0,0}"
  echo $((left - el)) $((left + width + er))
}

# An ordinary window of another program, active and under the cursor: xmessage, or the command
# in OTHER_WINDOW (given the geometry), whose windows have the X class OTHER_CLASS.
open_other_window() { # geometry -> window id
  local class=${OTHER_CLASS:-xmessage}
  if [ -n "${OTHER_WINDOW:-}" ]; then
    "$OTHER_WINDOW" "$1" >/dev/null 2>&1 &
  else
    xmessage -geometry "$1" "another program" >/dev/null 2>&1 &
  fi
  e2e_track $!
  local w=""
  wait_until 100 xdotool search --onlyvisible --class "$class" || fail "$class did not appear"
  w=$(xdotool search --onlyvisible --class "$class" | head -n 1)
  xdotool windowactivate --sync "$w" >/dev/null 2>&1 || true
  wait_until 50 bash -c "xprop -root _NET_ACTIVE_WINDOW | grep -qi \"$(printf '0x%x' "$w")\"" ||
    fail "$class did not become the active window"
  # Its edges count only with the frame, which the window manager sizes after reparenting.
  wait_until 50 bash -c "xprop -id $w _NET_FRAME_EXTENTS | grep -q '='" ||
    fail "$class was never framed"
  echo "$w"
}

# --- Cases

case_start() {
  local id left top extents
  start_nyarumi
  id=$(her_window)
  read -r left top < <(position "$id")
  [ "$left $top" = "$(((SCREEN_W - 88) / 2)) $(((SCREEN_H - 154) / 2))" ] ||
    fail "not centred: at $left $top"
  [ "$(xwininfo -id "$id" | awk '/^ *Width:/ {w=$2} /^ *Height:/ {h=$2} END {print w "x" h}')" = 88x154 ] ||
    fail "not 88 x 154"
  # Shaped: the outline's box starts at x 5 and ends on row 146, well inside the window.
  extents=$(window_shape_extents "$id")
  [[ $extents =~ ^([0-9]+)x([0-9]+)\+5\+([0-9]+)$ ]] || fail "no outline: '$extents'"
  [ $((BASH_REMATCH[3] + BASH_REMATCH[2])) -eq 146 ] && [ "${BASH_REMATCH[1]}" -lt 88 ] ||
    fail "outline box $extents"
  [ "$(window_shape_rects "$id" | grep -c '^bounding')" -gt 50 ] || fail "outline is not her figure"
  # The pointer beside her outline is over whatever lies behind her window.
  xdotool mousemove $((left + 2)) $((top + 2))
  [ "$(xdotool getmouselocation --shell | sed -n 's/^WINDOW=//p')" != "$((id))" ] ||
    fail "the pointer beside her outline is still over her window"
  window_has_state "$id" _NET_WM_STATE_ABOVE || fail "not on top"
  window_has_state "$id" _NET_WM_STATE_SKIP_TASKBAR || fail "on the taskbar"
}

# Her rhythm is judged on the order of events the X server saw, not on when a script saw them:
# while running, each step is 16 px and she takes two per run cycle of six frames, so between
# her first and her sixth step her outline changes fifteen times. A step passes through the
# window manager and may show a frame late, hence the slack of two.
case_chase() {
  local id left top x y lastx lasty
  start_nyarumi
  id=$(her_window)
  read -r x y < <(on_her)
  # She has the focus, so she chases the cursor rather than seeking another window's edge.
  xdotool mousemove "$x" "$y" click 1
  read -r left top < <(her_position)
  xdotool mousemove $((SCREEN_W - 5)) $((top + 77))
  "$SHAPE_PROBE" watch "$id" 6 >"$E2E_TMP/events" ||
    fail "fewer than 6 steps towards the cursor: $(grep -c '^move' "$E2E_TMP/events")"
  awk '
    $1 == "at" { x = $2; y = $3 }
    $1 == "shape" && steps > 0 { ++frames }
    $1 == "move" {
      if ($2 - x != 16 || $3 != y) { print "moved from " x "," y " to " $2 "," $3; exit 1 }
      x = $2; y = $3; ++steps
    }
    END { if (frames < 13 || frames > 17) { print frames " outline changes between six steps"; exit 1 } }
  ' "$E2E_TMP/events" >"$E2E_TMP/judged" || fail "$(cat "$E2E_TMP/judged")"
  read -r lastx lasty < <(her_position)
  # The cursor back over her: she finishes the step she is in and stands.
  xdotool mousemove $((lastx + 44)) $((lasty + 77))
  read -r x y < <(wait_still 20 80)
  ((x - lastx <= 32)) || fail "ran on to $x after the cursor came back at $lastx"
  sleep 1
  [ "$(her_position)" = "$x $y" ] || fail "started again while the cursor rests on her"
}

# She waits outside the active window's side edge nearer the cursor.
case_edge_right() {
  local w wl wr x y
  start_nyarumi
  # Left of her, its right edge about 65 px left of her centre.
  w=$(open_other_window 200x200+370+300)
  read -r wl wr < <(outer_edges "$w")
  xdotool mousemove $((wr - 15)) 400
  read -r x y < <(wait_still 20 200)
  ((x >= wr - 29 && x <= wr - 11)) || fail "rests at $x; the band is $((wr - 29))..$((wr - 11))"
}

case_edge_left() {
  local w wl wr x y
  start_nyarumi
  w=$(open_other_window 200x200+720+300)
  read -r wl wr < <(outer_edges "$w")
  xdotool mousemove $((wl + 15)) 400
  read -r x y < <(wait_still 20 200)
  local right=$((x + 88))
  ((right >= wl + 5 && right <= wl + 23)) ||
    fail "her right side rests at $right; the band is $((wl + 5))..$((wl + 23))"
}

case_menu() {
  local x y left top
  start_nyarumi
  read -r x y < <(on_her)
  xdotool mousemove "$x" "$y" click 3
  wait_until 30 menu_open || fail "no menu on a right click over her at $x,$y"
  xdotool key Escape
  wait_until 30 menu_closed || fail "the menu did not close"
  # Inside her window's rectangle but beside her outline: the click is not hers.
  read -r left top < <(her_position)
  xdotool mousemove $((left + 2)) $((top + 2)) click 3
  sleep 1
  ! menu_open || fail "a menu opened on a click beside her"
}

case_quit() {
  local x y status=0
  start_nyarumi
  read -r x y < <(on_her)
  xdotool mousemove "$x" "$y" click 1
  xdotool key ctrl+q
  wait_until 50 bash -c "! kill -0 $NY_PID" || fail "Ctrl+Q did not end the program"
  wait "$NY_PID" || status=$?
  [ "$status" -eq 0 ] || fail "exit code $status"
}

case_ontop() {
  local x y
  start_nyarumi
  window_has_state "$(her_window)" _NET_WM_STATE_ABOVE || fail "not on top at start"
  read -r x y < <(on_her)
  xdotool mousemove "$x" "$y" click 1
  xdotool key ctrl+v
  wait_until 30 bash -c "! xprop -id $(her_window) _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE" ||
    fail "still on top after Ctrl+V"
  window_has_state "$(her_window)" _NET_WM_STATE_SKIP_TASKBAR || fail "on the taskbar after Ctrl+V"
  xdotool key ctrl+v
  wait_until 30 window_has_state "$(her_window)" _NET_WM_STATE_ABOVE || fail "not back on top"
  window_has_state "$(her_window)" _NET_WM_STATE_SKIP_TASKBAR || fail "on the taskbar after the second Ctrl+V"
}

# Screenshots through idling and a run: her window shows the desktop wherever she is not drawn.
# Each picture is taken with her place in one grab of the server, so none is lost to a move.
case_drawing() {
  local shots=${NYARUMI_SHOTS:-$E2E_TMP/shots} id left top i
  mkdir -p "$shots"
  paint_desktop
  start_nyarumi
  read -r left top < <(on_her)
  xdotool mousemove "$left" "$top" click 1
  id=$(her_window)
  read -r left top < <(her_position)
  for ((i = 0; i < 40; i++)); do
    ((i == 8)) && xdotool mousemove $((SCREEN_W - 5)) $((top + 77))
    ((i == 24)) && xdotool mousemove 5 $((top + 20))
    window_shot "$id" "$E2E_TMP/shot.ppm" >/dev/null || fail "no picture of her window"
    check_no_box "$E2E_TMP/shot.ppm" 0 0
    convert "$E2E_TMP/shot.ppm" "$shots/$(printf '%02d' "$i").png"
  done
}

# With no window manager at all nothing keeps her above a window mapped after her but herself.
# The other window is one solid colour that she never shows; she is on top when, in one picture,
# that colour fills the rest of her window's rectangle and none of her outline.
case_bare_ontop() {
  local id left top inside outside
  start_nyarumi
  id=$(her_window)
  read -r inside outside < <("$SHAPE_PROBE" count "$id" "$COVER")
  [ "$inside$outside" = 00 ] || fail "the cover colour is on the screen before the cover: $inside $outside"
  read -r left top < <(her_position)
  xlogo -bg "#$COVER" -fg "#$COVER" -geometry 300x300+$((left - 100))+$((top - 70)) >/dev/null 2>&1 &
  e2e_track $!
  wait_until 100 xdotool search --onlyvisible --class xlogo || fail "xlogo did not appear"
  covered_around_her() {
    read -r inside outside < <("$SHAPE_PROBE" count "$id" "$COVER")
    ((outside > 0 && inside == 0))
  }
  wait_until 100 covered_around_her || fail "xlogo covers $inside of her pixels ($outside beside her)"
}

COVER=00ff01 # a colour that none of her pictures uses

case "${1:?names the case}" in
bare_*) x_start bare ;;
*) x_start ;;
esac
"case_$1"
