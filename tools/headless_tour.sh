#!/usr/bin/env bash
# Plays a short scripted tour of the game under a virtual X server and saves a
# screenshot after each step: landing, looking down, walking, jumping,
# removing a block, placing one, and the view toward the world's origin.
# Usage: headless_tour.sh GAME_DIR SCREENSHOT_DIR
set -uo pipefail
game_dir=$1
shots=$2
mkdir -p "$shots"
rm -f "$shots"/[0-9]*-*.png

source "$(dirname "$0")/xvfb.sh"
vex_xvfb_session

cd "$game_dir"
./vexelmoor &
VEX_GAME_PID=$!
window=
for _ in $(seq 500); do
  window=$(xdotool search --onlyvisible --name '^Vexelmoor$' 2>/dev/null | head -n1)
  [ -n "$window" ] && break
  sleep 0.02
done
if [ -z "$window" ]; then
  echo "The game window did not appear." >&2
  exit 1
fi

step=0
shot() {
  step=$((step + 1))
  local file
  file=$(printf '%s/%02d-%s.png' "$shots" "$step" "$1")
  sleep 0.3
  xwd -silent -id "$window" | /usr/bin/convert xwd:- png24:"$file"
  echo "  $file"
}
hold() {  # hold KEY SECONDS
  xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"
}
look() {  # look DX DY STEPS: small mouse moves, one per frame or so
  local i
  for i in $(seq "$3"); do xdotool mousemove_relative -- "$1" "$2"; sleep 0.05; done
}
click() {  # click BUTTON
  xdotool mousedown "$1"; sleep 0.15; xdotool mouseup "$1"
}

echo "Screenshots:"
sleep 3                       # the fall from the top of the world
shot landed-looking-up
look 0 40 18                  # down toward the horizon
shot looking-level
hold w 1.5
shot after-walking
xdotool keydown space; sleep 0.25; shot mid-jump; xdotool keyup space
sleep 0.5
look 0 40 12                  # down at the ground in front
shot aiming-at-ground
click 1
shot block-removed
click 3
shot block-placed
xdotool keydown Home; shot home-view; xdotool keyup Home
look 0 -40 10
shot view-across-the-world

xdotool key Escape
wait "$VEX_GAME_PID"
status=$?
VEX_GAME_PID=
echo "The tour ended (game exit status $status). Screenshots are in $shots"
exit "$status"
