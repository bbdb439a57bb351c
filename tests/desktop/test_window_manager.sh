#!/usr/bin/env bash
# The game under a real window manager (openbox) as a player starts it: the
# installed launcher, run from another folder. The manager decorates, places,
# focuses, maximises, minimises and closes the window; the game must keep its
# picture, its view and its input rules through all of it.
# The program behind the launcher is the probe build (the same frame loop,
# reporting each frame), so focus, size, viewport and aspect can be read.
# Usage: test_window_manager.sh BUILD_DIR PROBE_PROGRAM
source "$(dirname "$0")/../e2e/lib.sh"
BUILD_DIR=$(cd "${1:?build folder}" && pwd)
PROBE=${2:?probe program}
e2e_init "$BUILD_DIR/game"

# within SECONDS COMMAND...: polls the command until it succeeds, at most that long.
within() {
    local limit=$1 i
    shift
    for i in $(seq $((limit * 20))); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}
# wait_for WHAT COMMAND...: the same for 10 seconds, failing the script on a timeout.
wait_for() {
    local what=$1
    shift
    within 10 "$@" || fail_now "timed out waiting for: $what (last frame: $(last_line))"
}
map_state() { xwininfo -id "$WIN" | awk '/Map State:/ { print $3 }'; }
is_minimised() { xprop -id "$WIN" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN && [ "$(map_state)" = IsUnMapped ]; }
is_shown() { [ "$(map_state)" = IsViewable ]; }
client_size() { xwininfo -id "$WIN" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }
# The view follows the window: viewport and perspective aspect match the size.
view_follows() {
    holds 'v["viewport"] == "0,0," v["w"] "," v["h"] && v["aspect"] - v["w"] / v["h"] < 1e-4 &&
           v["w"] / v["h"] - v["aspect"] < 1e-4'
}
# white_pixels PNG: how many pixels are pure white (the clear colour).
white_pixels() { "$CONVERT" "$1" -fill black +opaque '#FFFFFF' -format '%[fx:round(mean * w * h)]' info:; }
# The position lines of the overlay alone: black text on white (the FPS line
# may change between two pictures).
overlay_of() { "$CONVERT" "$1" -crop 140x50+0+20 +repage -fill white +opaque '#000000' png24:"$2"; }

echo "# installed with the launcher, under openbox"
root=$WORK/root
cmake --install "$BUILD_DIR" --prefix "$root" >"$WORK/install.log" || fail_now "cmake --install failed"
cp "$PROBE" "$root/lib/games/vexelmoor/vexelmoor" || fail_now "cannot put the probe behind the launcher"
openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
EXTRA_PIDS+=($!)
wait_for "openbox to manage the screen" wmctrl -m >/dev/null 2>&1
mkdir "$WORK/elsewhere"
GAME_LOG=$WORK/game.out
(cd "$WORK/elsewhere" && exec "$root/games/vexelmoor") >"$GAME_LOG" 2>"$WORK/game.err" &
GAME_PID=$!
wait_window
wait_until 'v["frame"] >= 2' "the first frames"
check "the launcher starts the game in the folder of its images" \
    grep -qx 'Successfully loaded texture.png' "$GAME_LOG"
check "the manager lists the window titled Vexelmoor" \
    bash -c "wmctrl -l | awk '{ \$1 = \$2 = \$3 = \"\"; sub(/^ +/, \"\") } 1' | grep -qx Vexelmoor"
extents=$(xprop -id "$WIN" _NET_FRAME_EXTENTS | sed 's/.*= //')
check "the manager framed the window (frame extents: $extents)" \
    awk -v e="$extents" 'BEGIN { split(e, p, ", "); exit !(p[3] + 0 > 0) }'
check "inside its frame the window is 640x480 (got $(client_size))" test "$(client_size)" = 640x480
check "the game draws 640x480 with the start-up perspective (aspect 4/3)" \
    holds 'v["w"] == 640 && v["h"] == 480 && v["viewport"] == "0,0,640,480" && v["aspect"] == 1.333333'
check "the frame's placement is not taken for mouse motion (yaw 0, pitch 0.001)" \
    all_lines 1 "$(frame_now)" 'v["yaw"] == 0 && v["pitch"] == 0.001'
first=$(screenshot first)
check "the picture is 640x480" test "$("$CONVERT" "$first" -format %wx%h info:)" = 640x480
check "the overlay starts at the window's top-left corner (ink box $(black_box "$first" 240x12+0+8))" \
    bash -c '[[ "$1" =~ ^(8|9|1[0-5])\ (8|9|1[0-9]) ]]' _ "$(black_box "$first" 240x12+0+8)"

echo "# focus moved away through the manager and given back"
wait_until 'v["y"] < 2048 && v["vy"] == 0' "the player to land"
open_other_window
wmctrl -a Vexelmoor
wait_until 'v["focus"] == 1' "the game to have the focus"
xdotool keydown w
start_x=$(field x)
wait_until "v[\"x\"] != $start_x" "W to walk"
wmctrl -a xlogo
wait_until 'v["focus"] == 0' "the focus to leave the game" 10
off_line=$(last_line)
off=$(field frame "$off_line")
# The player moves the mouse over to the other window, and on it.
xdotool mousemove --window "$OTHER_WIN" 50 50
mouse_step 30 20
mouse_step 30 20
wait_frames 5
frozen="v[\"x\"] == $(field x "$off_line") && v[\"z\"] == $(field z "$off_line") &&
        v[\"yaw\"] == $(field yaw "$off_line") && v[\"pitch\"] == $(field pitch "$off_line")"
check "without the focus, W held and mouse motion neither walk nor turn (frames $off..$(frame_now))" \
    all_lines "$off" "$(frame_now)" "v[\"focus\"] == 0 && $frozen"
wmctrl -a Vexelmoor
wait_until 'v["focus"] == 1' "the focus to come back" 10
back=$(field frame)
wait_until "v[\"x\"] != $(field x "$off_line")" "walking to resume"
xdotool keyup w
check "given the focus back, the view carries on where it was (no turn from the cursor's travels)" \
    all_lines "$back" "$(frame_now)" "v[\"yaw\"] == $(field yaw "$off_line") &&
                                       v[\"pitch\"] == $(field pitch "$off_line")"
look_until "v[\"yaw\"] > $(field yaw "$off_line") + 0.05" 40 0
check "mouse look works again" game_alive

echo "# maximised and restored through the manager"
look_until 'v["pitch"] > 3.1' 0 300
wait_until 'v["vy"] == 0 && v["vx"] == 0 && v["vz"] == 0' "the player to stand still"
wait_frames 3
before=$(screenshot before-maximise)
yaw=$(field yaw)
pitch=$(field pitch)
wmctrl -r Vexelmoor -b add,maximized_vert,maximized_horz
wait_until 'v["w"] > 640 && v["h"] > 480' "the maximised size to reach the game" 10
wait_frames 3
check "maximised, the game's size is the window's ($(client_size))" holds "v[\"size\"] == \"$(client_size)\""
check "maximised, viewport and aspect follow the window ($(field viewport), $(field aspect))" view_follows
maximised=$(screenshot maximised)
# A view left at 640x480 would leave most of the window white; the ground may
# show the odd single-pixel seam between faces, where the white clear colour
# shines through.
white=$(white_pixels "$maximised")
check "maximised, the ground fills the whole picture ($white sky-white pixels, under 0.1%)" \
    test "${white:-999999}" -lt $(($(field w) * $(field h) / 1000))
overlay_of "$before" "$WORK/overlay-before.png"
overlay_of "$maximised" "$WORK/overlay-maximised.png"
check "maximised, the overlay keeps its size and its place at the top-left" \
    test "$(differing_pixels "$WORK/overlay-before.png" "$WORK/overlay-maximised.png" 140x50+0+0)" -eq 0
wmctrl -r Vexelmoor -b remove,maximized_vert,maximized_horz
wait_until 'v["w"] == 640 && v["h"] == 480' "the restored size to reach the game" 10
wait_frames 3
check "restored, viewport and aspect are the start-up ones again" \
    holds 'v["viewport"] == "0,0,640,480" && v["aspect"] == 1.333333'
check "the view did not turn through maximising and restoring" \
    holds "v[\"yaw\"] == $yaw && v[\"pitch\"] == $pitch"
restored=$(screenshot restored)
check "restored, the picture is the one before maximising" \
    test "$(differing_pixels "$before" "$restored" 640x420+0+60)" -eq 0

echo "# minimised and restored through the manager"
xdotool windowminimize "$WIN"
wait_for "the window to be minimised" is_minimised
hidden_from=$(frame_now)
wait_frames 10
check "minimised, the game runs on (frames $hidden_from..$(frame_now) while hidden)" is_minimised
wmctrl -a Vexelmoor
wait_for "the window to be shown again" is_shown
wait_until 'v["focus"] == 1' "the focus after restoring" 10
# The manager may still be animating the frame open, hiding part of the window.
picture_back() {
    local shown
    shown=$(screenshot unminimised) && [ "$(differing_pixels "$before" "$shown" 640x420+0+60 2>/dev/null)" = 0 ]
}
restored_from=$(frame_now)
check "restored, the picture comes back (the one before minimising)" within 5 picture_back
check "restored, frames go on (frames $restored_from..$(frame_now))" test "$(frame_now)" -gt "$restored_from"
check "the view did not turn through minimising and restoring" holds "v[\"yaw\"] == $yaw && v[\"pitch\"] == $pitch"

echo "# the manager's close action"
wmctrl -c Vexelmoor
wait_game_exit 10
check "closing through the manager ends the game with status 0 (got $GAME_STATUS)" test "$GAME_STATUS" -eq 0
check "nothing but the loading lines and the frame reports on stdout" \
    test "$(grep -cv ' end$' "$GAME_LOG")" -eq 2

e2e_finish
