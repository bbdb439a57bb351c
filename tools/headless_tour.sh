#!/usr/bin/env bash
# Runs the game under Xvfb for a few seconds and saves a screenshot.
# Usage: headless_tour.sh GAME_DIR SCREENSHOT_DIR
set -uo pipefail
game_dir=$1
shots=$2
mkdir -p "$shots"

displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$displayfile" 2>/dev/null &
xvfb_pid=$!
game_pid=
cleanup() {
  set +e
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null && wait "$game_pid" 2>/dev/null
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  rm -f "$displayfile"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.05; done
export DISPLAY=:$(cat "$displayfile")

cd "$game_dir"
./vexelmoor &
game_pid=$!
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
# Let the player land, then look down at the terrain.
sleep 3
for _ in $(seq 12); do xdotool mousemove_relative -- 0 50; sleep 0.1; done
sleep 1
shot=$shots/vexelmoor.png
xwd -silent -id "$window" | /usr/bin/convert xwd:- png24:"$shot"
xdotool key Escape
wait "$game_pid"
game_pid=
echo "Screenshot saved: $shot"
