#!/usr/bin/env bash
# Start-up on a machine without a usable X11 display: one line that names the display and says
# what she needs, and exit status 1 instead of an abort. On a Wayland session a one-line note.
# Usage: display_e2e.sh   (NYARUMI names the program)
source "$(dirname "$0")/../lib.sh"
: "${NYARUMI:?names the nyarumi program}"

x_start

# Runs her with the given environment changes and checks the refusal.
expect_refused() { # label, expected display text, env arguments...
  local label=$1 display=$2 status=0
  shift 2
  env "$@" "$NYARUMI" >"$E2E_TMP/out" 2>"$E2E_TMP/err" </dev/null || status=$?
  [ "$status" -eq 1 ] || fail "$label: exit status $status, stderr: $(cat "$E2E_TMP/err")"
  [ "$(wc -l <"$E2E_TMP/err")" -eq 1 ] || fail "$label: not one line: $(cat "$E2E_TMP/err")"
  grep -qF -- "$display" "$E2E_TMP/err" || fail "$label: no '$display' in: $(cat "$E2E_TMP/err")"
  grep -q 'needs an X11 desktop' "$E2E_TMP/err" || fail "$label: says nothing of X11: $(cat "$E2E_TMP/err")"
}

# A display number no server listens on.
n=4242
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do
  n=$((n + 1))
done

expect_refused "DISPLAY unset" "DISPLAY is not set" -u DISPLAY -u QT_QPA_PLATFORM
expect_refused "no server" "\":$n\"" -u QT_QPA_PLATFORM DISPLAY=":$n"

# On a Wayland session she starts (through XWayland) and says what will not work there.
WAYLAND_DISPLAY=wayland-e2e "$NYARUMI" >"$E2E_TMP/out" 2>"$E2E_TMP/err" &
pid=$!
e2e_track "$pid"
wait_until 100 xdotool search --all --onlyvisible --pid "$pid" --name '^Nyarumi$' ||
  fail "she did not start with WAYLAND_DISPLAY set: $(cat "$E2E_TMP/err")"
grep -q 'Wayland session' "$E2E_TMP/err" || fail "no note on the Wayland session: $(cat "$E2E_TMP/err")"
[ "$(grep -c 'nyarumi:' "$E2E_TMP/err")" -eq 1 ] || fail "more than one note: $(cat "$E2E_TMP/err")"
echo "display: all checks passed"
