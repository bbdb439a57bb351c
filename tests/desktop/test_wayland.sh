#!/usr/bin/env bash
# The game on a Wayland desktop: weston in the test's Xvfb, the game on its
# Xwayland, mouse and keys entering at the Xvfb as a player's do (aimed at
# Xwayland itself, xdotool would bypass weston). Usage: test_wayland.sh GAME_DIR
source "$(dirname "$0")/../e2e/lib.sh"
e2e_init "$1"
OUTER=$DISPLAY
outer() { DISPLAY=$OUTER "$@"; }
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston --backend=x11-backend.so --use-pixman --xwayland --width=1200 --height=900 --socket=wl-vexelmoor \
    --idle-time=0 >"$WORK/weston.log" 2>&1 &
EXTRA_PIDS+=($!)
for i in $(seq 200); do DISPLAY=$(grep -o 'listening on display :[0-9]*' "$WORK/weston.log") && break; sleep 0.05; done
DISPLAY=${DISPLAY#listening on display } && [ -n "$DISPLAY" ] || fail_now "weston's Xwayland did not start"

shot() { outer xwd -silent -root | "$CONVERT" xwd:- png24:"$WORK/$1.png" && echo "$WORK/$1.png"; }
# find_window: X, Y = the game window's place, once weston shows the window
# there (its white title bar is on screen). Xwayland maps the window before
# weston has placed it: input sent then reaches the desktop.
find_window() {
    local i white
    for i in $(seq 100); do
        read -r X Y < <(xwininfo -id "$WIN" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { print x, $4 }')
        white=$(colour_count "$(shot title)" 200x8+$((X + 200))+$((Y - 21)) FFFFFF) && [ "$white" -gt 800 ] && break
        [ "$i" -lt 100 ] || fail_now "weston did not show the game window"
        sleep 0.1
    done
}
# place_pointer: the pointer leaves weston's window and enters the game's at its centre.
place_pointer() {
    find_window
    outer xdotool mousemove 1250 1000 mousemove $((X + 320)) $((Y + 240))
}
# cursor_is -eq|-gt: the pixels other than white at the pointer, over the sky, become 0 or more.
cursor_is() { for i in $(seq 50); do [ "$(nonwhite_count "$(shot c)" 12x12+$((X + 320))+$((Y + 240)))" $1 0 ] && return; sleep 0.1; done; false; }
# turns DX DY YAW PITCH: twenty mouse moves of (DX, DY) turn the view by YAW and PITCH, within 2%.
turns() {
    local from=$(last_line) i
    for i in $(seq 20); do outer xdotool mousemove_relative -- "$1" "$2" && wait_frames 1; done
    wait_frames 2
    local d=($(awk "BEGIN { print $(field yaw) - $(field yaw "$from"), $(field pitch) - $(field pitch "$from") }"))
    check "twenty moves of ($1, $2) turn by ($3, $4): got (${d[*]})" eval "num_near ${d[0]} $3 0.008 && num_near ${d[1]} $4 0.008"
}

echo "# the focus goes to another client and comes back"
start_probe wayland
place_pointer
check "with the focus, the cursor is hidden" cursor_is -eq
open_other_window
wait_until 'v["focus"] == 0' "weston to focus the other client" 10
off=$(last_line)
check "without the focus, the cursor is shown again" cursor_is -gt
outer xdotool mousemove_relative -- 100 50 sleep 0.1 click 1
wait_until 'v["focus"] == 1' "a click to give the focus back" 10
wait_frames 5
check "no turn from the cursor's travels meanwhile" all_lines "$(field frame "$off")" "$(frame_now)" \
    "v[\"yaw\"] == $(field yaw "$off") && v[\"pitch\"] == $(field pitch "$off")"

echo "# mouse look turns by motion / LOOK_PIXELS_PER_RADIAN"
turn=$(awk -v r="$(tuning LOOK_PIXELS_PER_RADIAN)" 'BEGIN { print 200 / r }')  # radians for 20 moves of 10
turns 10 0 "$turn" 0
turns -10 0 "-$turn" 0
turns 0 10 0 "$turn"
turns 0 -10 0 "-$turn"
# Looking straight up, moving up turns nothing: room to look down within weston's window.
outer xdotool mousemove_relative -- 0 -600
for i in $(seq 7); do wait_frames 1 && outer xdotool mousemove_relative -- 0 100; done
wait_frames 3
check "looking down past level, the lower half is terrain" \
    test "$(nonwhite_count "$(shot ground)" 640x200+$X+$((Y + 280)))" -gt 100000
outer xdotool key Escape
wait_game_exit
check "Escape ends the game with status 0 (got $GAME_STATUS)" test "$GAME_STATUS" -eq 0

echo "# weston's close button"
# The pointer comes to the title bar from outside the window, wherever Xwayland's cursor was.
start_probe close && find_window
outer xdotool mousemove 1250 1000 mousemove $((X + 625)) $((Y - 14))
on_bar=$(frame_now)
wait_frames 3
check "the cursor on the title bar turns nothing" all_lines "$on_bar" "$(frame_now)" 'v["yaw"] == 0'
outer xdotool click 1
wait_game_exit
check "weston's close ends the game with status 0 (got $GAME_STATUS)" test "$GAME_STATUS" -eq 0
e2e_finish
