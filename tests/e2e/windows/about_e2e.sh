#!/usr/bin/env bash
# The Windows program's About window under Wine: Ctrl+A over her shows it, with its caption and
# the program's title; Close hides it again while she keeps running.
# Set NYARUMI_E2E_SHOTS to a folder to keep the screenshots.
source "$(dirname "$0")/../lib.sh"
: "${NYARUMI:?names the nyarumi program}"
x_start

readonly CAPTION="バージョン情報"

shot() {
  if [ -n "${NYARUMI_E2E_SHOTS:-}" ]; then
    mkdir -p "$NYARUMI_E2E_SHOTS"
    import -window root "$NYARUMI_E2E_SHOTS/$1.png"
  fi
}

her_window() { xdotool search --all --onlyvisible --pid "$PID" --name '^Nyarumi$' | head -n 1 | grep .; }
about_window() { xdotool search --all --onlyvisible --pid "$PID" --name "^$CAPTION\$" | head -n 1 | grep .; }
about_hidden() { ! about_window; }

"$NYARUMI" >"$E2E_TMP/out" 2>&1 &
PID=$!
e2e_track $PID
wait_until 150 her_window || fail "her window never appeared: $(cat "$E2E_TMP/out")"
HER=$(her_window)
read -r left top < <(xwininfo -id "$HER" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}')
# The cursor on her keeps her still, and the click gives her the keyboard.
xdotool mousemove $((left + 44)) $((top + 90)) click 1
xdotool key ctrl+a
wait_until 50 about_window || fail "Ctrl+A showed no About window"
shot about
ABOUT=$(about_window)
read -r width height < <(xwininfo -id "$ABOUT" | awk '/^ *Width:/ {w=$2} /^ *Height:/ {h=$2} END {print w, h}')
((width >= 325 && height >= 124)) || fail "About window of ${width}x$height is smaller than its form"
# Close: the button at the form's bottom right, found from the window's bottom-right corner.
read -r ax ay < <(xwininfo -id "$ABOUT" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}')
xdotool mousemove $((ax + width - 40)) $((ay + height - 15)) click 1
wait_until 50 about_hidden || fail "Close did not hide the About window"
her_window >/dev/null || fail "she went away with the About window"
kill -0 "$PID" || fail "the program ended with the About window"
