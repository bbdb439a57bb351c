#!/usr/bin/env bash
# Walking off the world's far x edge in the probe build: outside the world is
# free space, so the walk carries on past x = 8192 and the player falls from
# there without end, while the game keeps running.
# Usage: test_world_edge.sh GAME_DIR [WM_CLOSE_TOOL]
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

# The player starts over the last column of blocks (x block 511), half a block
# from the edge, and falls onto it as it would at the usual start.
START_X=8184
PROBE_START=$START_X,2048,4096 start_game vexelmoor_probe world_edge
wait_window
wait_until "v[\"frame\"] >= 5 && v[\"vy\"] == 0 && v[\"x\"] == $START_X" "the player to land on the last column"
wait_frames 3
ground=$(field y)
check "the player stands on the last column, above the world's floor (y $ground)" \
    holds "v[\"y\"] > 16 && v[\"y\"] < 2048 && v[\"z\"] == 4096"

echo "# walking past the edge"
from=$(frame_now)
xdotool keydown w
wait_until 'v["y"] < -100' "the player to fall below the world" 20
xdotool keyup w
wait_frames 30
to=$(frame_now)
first_out=$(first_line "$from" 'v["x"] > 8192')
check "W carries the player past x = 8192 (first frame outside at x $(field x "$first_out"))" \
    test -n "$first_out"
check "up to the edge the feet stay on the ground" \
    all_lines "$from" "$(($(field frame "$first_out") - 1))" "v[\"y\"] == $ground"
# Falling speed grows by the gravity every frame from the first frame off the
# ground, and nothing below stops it.
falling=$(first_line "$from" "v[\"y\"] < $ground")
steady_fall() {
    lines_between "$(field frame "$falling")" "$to" | awk "$AWK_PARSE"'
        { parse($0); ++n
          if (n > 1 && !(v["frame"] == pf + 1 && v["vy"] < pvy - g + 0.001 && v["vy"] > pvy - g - 0.001 &&
                         v["y"] < py && v["x"] > 8192)) bad = 1
          pf = v["frame"]; pvy = v["vy"]; py = v["y"] }
        END { exit !(n > 30 && !bad) }' g="$(tuning PLAYER_GRAVITY)"
}
check "beyond the edge the player falls, faster every frame, and nothing stops the fall" steady_fall
check "the fall goes on below the world's floor (y $(field y))" holds 'v["y"] < -500'
check "the game keeps running out there" game_alive

quit_game
e2e_finish
