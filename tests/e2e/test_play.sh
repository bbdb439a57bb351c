#!/usr/bin/env bash
# Playing the probe build with real input: the fall onto the terrain, the view
# toward the origin while Home is held, walking, jumping, mouse look, and what
# still works while another window has the focus.
# Usage: test_play.sh GAME_DIR [WM_CLOSE_TOOL]
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

# The game's known figures, worked out by hand rather than read off a run or
# the code (they move only with gravity or the jump speed, deliberately):
# - column (256, 256) has its top solid cell at block height 72 (its height
#   function is 64 + 8 * (sin 4pi + sin 2pi * cos(16pi/3) + cos 4pi) = 72), so
#   the feet come to rest on its top face, y = 73 * 16 = 1168;
# - falling from y = 2048 with speeds -0.18, -0.36, ... the feet probe first
#   enters that cell at frame 99 (frame 98 ends at y = 1174.82 moving at -17.64);
# - a jump starts at 2.5 and loses 0.18 per frame: it peaks after 14 rising
#   frames, 2.5 + 2.32 + ... + 0.16 = 18.62 units up.
# - gravity adds 0.18 to the falling speed every frame.
LAND_Y=1168
LAND_FRAME=99
JUMP_HEIGHT=18.62
GRAVITY=0.18
STEP=$(tuning PLAYER_WALK_STEP)  # from the tuning header
TURN=$(awk -v r="$(tuning LOOK_PIXELS_PER_RADIAN)" 'BEGIN { print 100 / r }')  # radians per 100 pixels

start_game vexelmoor_probe play
wait_window
wait_until "v[\"frame\"] >= $((LAND_FRAME + 20))" "the fall to end"

echo "# the fall"
check "before landing the view looks straight up (yaw 0, pitch 0.001)" \
    all_lines 1 $((LAND_FRAME - 1)) 'v["yaw"] == 0 && v["pitch"] == 0.001'
check "falling speed grows by $GRAVITY every frame" \
    all_lines 1 $((LAND_FRAME - 1)) "v[\"vy\"] + $GRAVITY * v[\"frame\"] < 0.002 &&
                                     v[\"vy\"] + $GRAVITY * v[\"frame\"] > -0.002"
check "the feet touch down at the known frame $LAND_FRAME on y=$LAND_Y" \
    holds "v[\"y\"] == $LAND_Y && v[\"vy\"] == 0" "$(lines_between $LAND_FRAME $LAND_FRAME)"
check "frame $((LAND_FRAME - 1)) is still falling" \
    holds 'v["vy"] < -17' "$(lines_between $((LAND_FRAME - 1)) $((LAND_FRAME - 1)))"
check "the player then stands still at (4096, $LAND_Y, 4096)" \
    all_lines $LAND_FRAME $((LAND_FRAME + 20)) \
    "v[\"x\"] == 4096 && v[\"y\"] == $LAND_Y && v[\"z\"] == 4096 && v[\"vy\"] == 0"
check "looking up from the ground the aim reaches no block" holds 'v["pick"] == 0'

echo "# Home looks toward the world origin"
wait_frames 2
sky=$(screenshot sky)
xdotool keydown Home
wait_until 'v["home"] == 1' "Home to be seen"
home_from=$(frame_now)
wait_frames 2
home=$(screenshot home)
xdotool keyup Home
wait_until 'v["home"] == 0' "Home to be released"
home_to=$(($(frame_now) - 1))
wait_frames 2
back=$(screenshot home-released)
check "looking up, the picture below the overlay is all sky" \
    test "$(nonwhite_count "$sky" "$BELOW_OVERLAY")" -eq 0
check "with Home held the lower half shows the ground" \
    test "$(nonwhite_count "$home" 640x240+0+240)" -gt $((640 * 240 / 2))
check "the aim does not follow the Home view (no block picked while Home is held)" \
    all_lines "$home_from" "$home_to" 'v["pick"] == 0 && v["pitch"] == 0.001'
check "releasing Home restores the picture" test "$(differing_pixels "$sky" "$back" "$BELOW_OVERLAY")" -eq 0

echo "# walking at yaw 0"
# walk KEY AXIS SIGN UNITS: holds KEY until the player has moved UNITS along
# AXIS, then checks that only AXIS moved, by SIGN one step in every frame that moved.
walk() {
    local key=$1 axis=$2 sign=$3 units=$4 other from steps
    [ "$axis" = x ] && other=z || other=x
    wait_until 'v["vy"] == 0' "the player to stand"
    from=$(frame_now)
    hold_until "$key" "$sign v[\"$axis\"] >= $sign $(field "$axis") + $units" "$key to walk $units along $axis"
    steps=$(lines_between "$from" "$(frame_now)" | awk "$AWK_PARSE"'
        { parse($0)
          if (NR > 1) { d = v[a] - prev; o = v[b] - prevo
                        if (o != 0 || (d != 0 && d != s * step)) { bad = 1; exit }
                        if (d != 0) ++n }
          prev = v[a]; prevo = v[b] }
        END { print bad ? "bad" : n + 0 }' a="$axis" b="$other" s="${sign}1" step="$STEP")
    check "$key moves along $axis only, ${sign}$STEP per frame ($steps steps)" \
        test "$steps" != bad -a "$steps" -ge "$(awk -v u="$units" -v s="$STEP" 'BEGIN { print int(u / s) }')"
}
# Columns x 251..262 at z 257..259 (blocks) are level at height 72 and join the
# landing column from +z: step right onto them first, so the walks along x stay
# on level ground.
walk d z + 18
walk w x + 12
walk s x - 6
walk a z - 6

echo "# jumping"
wait_until 'v["vy"] == 0' "the player to stand"
ground=$(field y)
jump_from=$(frame_now)
hold_until space 'v["vy"] > 0' "Space to start a jump"
wait_until "v[\"vy\"] == 0 && v[\"frame\"] > $(field frame "$WAIT_LINE")" "the jump to land"
peak=$(lines_between "$jump_from" "$(frame_now)" |
    awk "$AWK_PARSE"' { parse($0); if (v["y"] > m) m = v["y"] } END { print m }')
check "Space lifts the feet by the known height $JUMP_HEIGHT (peak $peak over $ground)" \
    num_near "$(awk -v p="$peak" -v g="$ground" 'BEGIN { print p - g }')" "$JUMP_HEIGHT" 0.02
check "the jump lands back where it started" holds "v[\"y\"] == $ground && v[\"vy\"] == 0"

echo "# mouse look"
yaw0=$(field yaw)
look_until "v[\"yaw\"] != $yaw0" 100 0
check "moving the mouse 100 pixels right turns right by $TURN" \
    num_near "$(field yaw)" "$(awk -v b="$yaw0" -v t="$TURN" 'BEGIN { print b + t }')" 0.0001
look_until "v[\"yaw\"] != $(field yaw)" -100 0
check "moving it back turns back" num_near "$(field yaw)" "$yaw0" 0.0001
# pixel_moves DX: 2000 moves of DX pixels from a second client, many to a
# frame, many between the game's read of the cursor and its re-centring.
pixel_moves() {
    local moves=() i from=$(field yaw)
    for i in $(seq 2000); do moves+=(mousemove_relative -- "$1" 0 sleep 0.0001); done
    xdotool "${moves[@]}"
    wait_frames 3
    check "2000 moves of $1 pixel, many to a frame, add up exactly (yaw $from to $(field yaw))" \
        num_near "$(field yaw)" "$(awk -v b="$from" -v d="$1" -v t="$TURN" 'BEGIN { print b + d * 20 * t }')" 0.001
}
pixel_moves 1
pixel_moves -1
# Two steps down, a move of four steps up would pass straight up: it stops at 0.001.
look_until "v[\"pitch\"] > $TURN" 0 100
pitch_before=$(field pitch)
look_until "v[\"pitch\"] != $pitch_before" 0 -400
check "the view cannot turn past straight up (from $pitch_before it stops at 0.001)" \
    holds 'v["pitch"] == 0.001'
look_from=$(frame_now)
look_until 'v["pitch"] > 3.1' 0 100
look_to=$(frame_now)
check "moving the mouse down looks down in steps of $TURN, stopping at 3.1405928" \
    all_lines "$look_from" "$look_to" \
    "(v[\"pitch\"] - 0.001) / $TURN - int((v[\"pitch\"] - 0.001) / $TURN + 0.5) < 0.0001 &&
     (v[\"pitch\"] - 0.001) / $TURN - int((v[\"pitch\"] - 0.001) / $TURN + 0.5) > -0.0001 || v[\"pitch\"] == 3.140593"
mouse_step 0 100
check "the view cannot turn past straight down" holds 'v["pitch"] == 3.140593'
down=$(screenshot down)
check "looking down the lower half is ground" test "$(colour_count "$down" 640x240+0+240 FFFFFF)" -eq 0
check "looking down at the feet the aim finds the block below them" \
    holds "v[\"pick\"] == 1 && v[\"by\"] == int(v[\"y\"] / 16) - 1"

echo "# without focus"
if on_windows; then
    echo "skipped: without a window manager Wine takes no X focus change for a Windows one"
    quit_game
    e2e_finish
    exit
fi
open_other_window
xdotool windowfocus --sync "$OTHER_WIN"
wait_until 'v["focus"] == 0' "focus to be lost" 10
unfocused=$(last_line)
from=$(frame_now)
hold_key w 6
hold_key space 3
xdotool mousemove_relative -- 0 -100
wait_frames 3
xdotool mousemove_relative -- 0 100
wait_frames 3
to=$(frame_now)
check "without focus W, Space and the mouse change nothing" \
    all_lines "$from" "$to" "v[\"pos\"] == \"$(field pos "$unfocused")\" && v[\"pitch\"] == 3.140593 &&
                             v[\"yaw\"] == $(field yaw "$unfocused")"
below=$(field y)
click 1
check "a left click without focus still registers and removes the block below" \
    holds "v[\"focus\"] == 0 && v[\"edit\"] == \"removed\" && v[\"by\"] == int($below / 16) - 1" "$CLICK_LINE"
wait_until "v[\"y\"] < $below && v[\"vy\"] == 0" "the drop into the hole"
check "the player drops one block into the hole, without focus" \
    holds "v[\"y\"] == $below - 16 && v[\"focus\"] == 0" "$WAIT_LINE"
xdotool windowfocus --sync "$WIN"
wait_until 'v["focus"] == 1' "focus to come back"
# In the hole, walk toward the farther wall of the column.
x_before=$(field x)
key=w sign=+
[ $((${x_before%.*} % 16)) -ge 8 ] && key=s sign=-
hold_until $key "v[\"x\"] != $x_before" "$key to walk once focus is back"
check "with focus back, walking works again ($key moves x by ${sign}$STEP)" \
    holds "v[\"x\"] == $x_before $sign $STEP" "$WAIT_LINE"

quit_game
e2e_finish
