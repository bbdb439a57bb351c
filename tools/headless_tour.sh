#!/usr/bin/env bash
# Plays a short scripted tour of the game under a virtual X server and saves a
# screenshot after each step: landing, looking level, walking, jumping, aiming
# at the ground, removing a block, placing one, the view toward the world's
# origin and a look across the world. Each step's input is repeated until the
# picture shows it; a picture that never does ends the tour with status 1.
# Usage: headless_tour.sh GAME_DIR SCREENSHOT_DIR
set -uo pipefail
game_dir=$1
shots=$2
mkdir -p "$shots"
rm -f "$shots"/[0-9]*-*.png

source "$(dirname "$0")/xvfb.sh"
source "$(dirname "$0")/game_figures.sh"
vex_xvfb_session

cd "$game_dir"
./vexelmoor &
VEX_GAME_PID=$!
window=$(timeout 10 xdotool search --sync --onlyvisible --name '^Vexelmoor$' 2>/dev/null | head -n1)
[ -n "$window" ] || { echo "The game window did not appear." >&2; exit 1; }

# Regions of the 640 x 480 picture: the overlay's Y line and its three position
# lines, the world below the overlay, its upper band and its lower half.
tops=($OVERLAY_TOPS)
Y_LINE=240x$GLYPH_HEIGHT+0+${tops[2]} POSITION=240x$((OVERLAY_BOTTOM - tops[1]))+0+${tops[1]}
WORLD=$BELOW_OVERLAY UPPER=640x100+0+$OVERLAY_BOTTOM LOWER=640x240+0+240
mask() {  # mask PNG REGION COLOUR FORMAT: that colour white, all else black; FORMAT of it
  /usr/bin/convert "$1" -crop "$2" +repage -alpha off -fill '#FF00FF' -opaque "$3" -fill black +opaque '#FF00FF' \
    -fill white -opaque '#FF00FF' -format "$4" info:
}
sky() { mask "$shot" "$1" '#FFFFFF' '%[fx:int(100 * mean)]'; }  # per cent of the region
outline() { mask "$shot" "$WORLD" '#000000' '%[fx:int(w * h * mean + 0.5)]'; }  # pure black pixels
changed() {  # changed REGION: pixels that differ from the picture kept by keep
  # (read through files: ImageMagick's policy refuses /dev/fd)
  /usr/bin/convert "$VEX_WORK/kept.png" -crop "$1" +repage png24:"$VEX_WORK/a.png" &&
    /usr/bin/convert "$shot" -crop "$1" +repage png24:"$VEX_WORK/b.png" &&
    /usr/bin/compare -metric AE "$VEX_WORK/a.png" "$VEX_WORK/b.png" null: 2>&1 >/dev/null | cut -d' ' -f1
}
keep() { cp "$shot" "$VEX_WORK/kept.png"; }

n=0 shot=
# step NAME CONDITION [ACTION...]: keeps the last step's picture, then takes
# pictures, doing ACTION between them, until one meets CONDITION (at most 80).
step() {
  local name=$1 condition=$2 i
  shift 2
  [ -n "$shot" ] && keep
  n=$((n + 1))
  shot=$(printf '%s/%02d-%s.png' "$shots" "$n" "$name")
  for i in $(seq 80); do
    xwd -silent -id "$window" | /usr/bin/convert xwd:- png24:"$shot"
    eval "$condition" && { echo "  $shot"; return 0; }
    "$@"
  done
  echo "The picture never showed the step '$name': $shot" >&2
  exit 1
}
look() { xdotool mousemove_relative -- "$1" "$2"; sleep 0.05; }
click() { xdotool mousedown "$1"; sleep 0.1; xdotool mouseup "$1"; sleep 0.1; }

echo "Screenshots:"
# Landed, or standing, once the Y line holds still from one picture to the next.
still() { keep; sleep 0.2; }
step landed-looking-up '[ -f "$VEX_WORK/kept.png" ] && [ "$(changed $Y_LINE)" = 0 ] && [ "$(sky $WORLD)" = 100 ]' still
step looking-level '[ "$(sky $LOWER)" -lt 5 ] && [ "$(sky $UPPER)" -gt 50 ]' look 0 20
xdotool keydown w
sleep 1
step after-walking '[ "$(changed $POSITION)" -gt 0 ]' sleep 0.1
xdotool keyup w
step standing '[ "$(changed $Y_LINE)" = 0 ]' still
xdotool keydown space
step mid-jump '[ "$(changed $Y_LINE)" -gt 0 ]' true
xdotool keyup space
sleep 0.6
step aiming-at-ground '[ "$(outline)" -gt 600 ]' look 0 20
step block-removed '[ "$(changed $WORLD)" -gt 200 ]' click 1
step block-placed '[ "$(changed $WORLD)" -gt 200 ]' click 3
xdotool keydown Home
step home-view '[ "$(changed $WORLD)" -gt 20000 ]' sleep 0.05
xdotool keyup Home
step view-across-the-world '[ "$(sky $UPPER)" -gt 50 ] && [ "$(sky $LOWER)" -lt 50 ]' look 0 -20

xdotool key Escape
wait "$VEX_GAME_PID"
status=$?
VEX_GAME_PID=
echo "The tour ended (game exit status $status). Screenshots are in $shots"
exit "$status"
