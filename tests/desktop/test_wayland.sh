#!/usr/bin/env bash
# The game on a Wayland desktop: weston runs in the test's Xvfb with its
# Xwayland, the game on that Xwayland, and mouse and keys enter at the Xvfb
# as a player's do (aimed at Xwayland itself, xdotool would bypass weston).
# Under Xwayland only a hidden cursor can be brought back to the centre.
# Usage: test_wayland.sh GAME_DIR
source "$(dirname "$0")/../e2e/lib.sh"
e2e_init "$1"
OUTER=$DISPLAY
outer() { DISPLAY=$OUTER "$@"; }
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston --backend=x11-backend.so --use-pixman --xwayland --width=1200 --height=900 --socket=wl-vexelmoor \
    --idle-time=0 >"$WORK/weston.log" 2>&1 &
EXTRA_PIDS+=($!)
for i in $(seq 200); do
    inner=$(grep -o 'xserver listening on display :[0-9]*' "$WORK/weston.log" | grep -o ':[0-9]*$')
    [ -n "$inner" ] && break
    sleep 0.05
done
[ -n "$inner" ] || fail_now "weston's Xwayland did not start"
export DISPLAY=$inner

# place_pointer: sets X and Y to the game window's top-left on the screen,
# and moves the pointer out of weston's window and back in at its centre.
place_pointer() {
    read -r X Y < <(xwininfo -id "$WIN" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { print x, $4 }')
    outer xdotool mousemove 1250 1000 mousemove $((X + 320)) $((Y + 240))
}
# cursor_pixels: pixels other than white under the pointer (at the window's centre).
cursor_pixels() {
    outer xwd -silent -root | "$CONVERT" xwd:- png24:"$WORK/screen.png" &&
        nonwhite_count "$WORK/screen.png" 12x12+$((X + 320))+$((Y + 240))
}
cursor_becomes() { for i in $(seq 50); do [ "$(cursor_pixels)" $1 0 ] && return 0; sleep 0.1; done; return 1; }
# turns DX DY YAW PITCH: twenty mouse moves of (DX, DY) turn the view by YAW and PITCH, within 2%.
turns() {
    local from=$(last_line) i
    for i in $(seq 20); do outer xdotool mousemove_relative -- "$1" "$2" && wait_frames 1; done
    wait_frames 2
    local yaw=$(awk -v a="$(field yaw "$from")" -v b="$(field yaw)" 'BEGIN { print b - a }')
    local pitch=$(awk -v a="$(field pitch "$from")" -v b="$(field pitch)" 'BEGIN { print b - a }')
    check "200 px moved by ($1, $2) x 20 turn by ($3, $4): got ($yaw, $pitch)" \
        eval "num_near $yaw $3 0.008 && num_near $pitch $4 0.008"
}

echo "# the focus goes to another client and comes back"
start_probe wayland
place_pointer
wait_frames 3
check "with the focus, the cursor is hidden" cursor_becomes -eq
open_other_window
wait_until 'v["focus"] == 0' "weston to focus the other client" 10
off_line=$(last_line)
check "without the focus, the cursor is shown again" cursor_becomes -gt
outer xdotool mousemove_relative -- 100 50 && wait_frames 2
outer xdotool click 1
wait_until 'v["focus"] == 1' "a click to give the focus back" 10
wait_frames 5
check "no turn from the cursor's travels meanwhile" all_lines "$(field frame "$off_line")" "$(frame_now)" \
    "v[\"yaw\"] == $(field yaw "$off_line") && v[\"pitch\"] == $(field pitch "$off_line")"

echo "# mouse look by motion / 500 in four directions"
turns 10 0 0.4 0
turns -10 0 -0.4 0
turns 0 10 0 0.4
turns 0 -10 0 -0.4
# Looking straight up, moving up turns nothing: room for a long move down
# (weston sees the pointer, and the keys, only inside its window).
outer xdotool mousemove_relative -- 0 -600 && wait_frames 2
for i in $(seq 7); do outer xdotool mousemove_relative -- 0 100 && wait_frames 1; done
wait_frames 2
outer xwd -silent -root | "$CONVERT" xwd:- png24:"$WORK/ground.png"
check "looking down past level, the lower half is terrain" \
    test "$(nonwhite_count "$WORK/ground.png" 640x200+$X+$((Y + 280)))" -gt 100000
outer xdotool key Escape
wait_game_exit
check "Escape ends the game with status 0 (got $GAME_STATUS)" test "$GAME_STATUS" -eq 0

echo "# weston's close button"
start_game vexelmoor close
wait_window
place_pointer
outer xdotool mousemove $((X + 625)) $((Y - 14)) click 1
wait_game_exit
check "weston's close ends the game with status 0 (got $GAME_STATUS)" test "$GAME_STATUS" -eq 0
e2e_finish
