#!/usr/bin/env bash
# Runs Nyarumi and a classic cursor-chasing cat side by side under one private Xvfb, moves the
# cursor around for the same time, and compares the CPU time and peak memory of the two.
# Ratios from one run count; absolute numbers vary with the machine's load.
#   bench/peer.sh [path/to/nyarumi] [seconds]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
nyarumi=${1:-$here/../build/release/shell/nyarumi}
seconds=${2:-60}

if ! command -v oneko >/dev/null && [ ! -x /usr/games/oneko ]; then
  [ "$(id -u)" -eq 0 ] || { echo "install the peer first: apt-get install -y oneko" >&2; exit 1; }
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq oneko >/dev/null
fi
peer=$(command -v oneko || echo /usr/games/oneko)
[ -x "$nyarumi" ] || { echo "no program at $nyarumi (run scripts/run or build first)" >&2; exit 1; }

# shellcheck source=../tests/e2e/lib.sh
source "$here/../tests/e2e/lib.sh"
x_start

"$nyarumi" >/dev/null 2>&1 &
ny=$!
e2e_track $ny
"$peer" >/dev/null 2>&1 &
cat=$!
e2e_track $cat
sleep 2

cpu() { awk '{printf "%.2f", ($14 + $15) / 100}' "/proc/$1/stat"; }
hwm() { awk '/VmHWM/ {print $2}' "/proc/$1/status"; }
cpu0_ny=$(cpu $ny)
cpu0_cat=$(cpu $cat)

# The same path for both: a slow loop around the screen with a few jumps.
end=$((SECONDS + seconds))
i=0
while ((SECONDS < end)); do
  x=$((200 + (i * 37) % 800))
  y=$((150 + (i * 23) % 450))
  xdotool mousemove "$x" "$y"
  sleep 0.5
  i=$((i + 1))
done

ny_cpu=$(awk -v a="$(cpu $ny)" -v b="$cpu0_ny" 'BEGIN {printf "%.2f", a - b}')
cat_cpu=$(awk -v a="$(cpu $cat)" -v b="$cpu0_cat" 'BEGIN {printf "%.2f", a - b}')
ny_mem=$(hwm $ny)
cat_mem=$(hwm $cat)
printf '%-8s %10s %14s\n' "" "CPU s" "peak RSS kB"
printf '%-8s %10s %14s\n' nyarumi "$ny_cpu" "$ny_mem" oneko "$cat_cpu" "$cat_mem"
awk -v a="$ny_cpu" -v b="$cat_cpu" -v c="$ny_mem" -v d="$cat_mem" \
  'BEGIN {printf "ratios nyarumi/oneko: CPU %.1f, memory %.1f\n", (b > 0 ? a / b : 0), c / d}'
