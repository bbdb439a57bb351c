#!/usr/bin/env bash
# Moving through edited ground in the probe build with real input: two keys at
# once, climbing a one-block step, digging a hole and standing in it, placing
# blocks from inside it, and a removal on a chunk border that must leave no gap
# where the chunks meet.
# Usage: test_world_edits.sh GAME_DIR [WM_CLOSE_TOOL]
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

# The ground on the route: the height rule (top solid cell of column (i, j),
# in blocks) evaluated apart from the game, step by step in single precision:
#   j (z block):   256  257  258  259  260  261  262  263
#   i = 255         71   72   72   72   73   73   73   73
#   i = 256         72   72   72   72   73   73   73   74
#   i = 257         71   72   72   72   73   73   73   74
# The player lands at (4096, 1168, 4096): column (256, 256), feet on the top of
# cell 72 at y = 73 * 16. At yaw 0, W walks +x and D walks +z, 1.5 per frame,
# so z takes the values 4096 + 1.5 k: the step at j = 260 (z = 4160) stops D at
# z = 4159, and on the step (feet at 1184) the higher one at j = 263 stops it at
# z = 4207. Column i = 256 is the first of chunk 16 along x: its cells border
# chunk 15 across x = 4096.
WORLD=640x410+0+70  # the picture below the overlay, whose figures change

start_game vexelmoor_probe world_edits
wait_window
wait_until 'v["frame"] >= 100 && v["y"] == 1168 && v["vy"] == 0' "the player to land"
wait_frames 3

echo "# two keys at once"
from=$(frame_now)
xdotool keydown w keydown d
wait_frames 6
xdotool keyup w keyup d
wait_frames 3
# Per frame that moved: "both" when x and z each gained exactly 1.5 and y held,
# "one" when a single axis moved by 1.5 (a key seen a frame before the other),
# "bad" for anything else.
moves=$(lines_between "$from" "$(frame_now)" | awk "$AWK_PARSE"'
    { parse($0)
      if (NR > 1) { dx = v["x"] - px; dz = v["z"] - pz
                    if (dx == 1.5 && dz == 1.5 && v["y"] == py) ++both
                    else if ((dx == 1.5 && dz == 0 || dx == 0 && dz == 1.5) && v["y"] == py) ++one
                    else if (dx != 0 || dz != 0 || v["y"] != py) ++bad }
      px = v["x"]; pz = v["z"]; py = v["y"] }
    END { print both + 0, one + 0, bad + 0 }')
read -r both one bad <<<"$moves"
check "W+D together move +1.5 along x AND +1.5 along z in the same frame ($both such frames)" \
    test "$both" -ge 5 -a "$bad" -eq 0 -a "$one" -le 2

echo "# a one-block step"
xdotool keydown d
wait_until 'v["z"] == 4159' "D to bring the player to the step at z = 4160"
blocked_from=$(frame_now)
wait_frames 10
check "walking alone into the step stops at z = 4159, feet still at 1168" \
    all_lines "$blocked_from" "$(frame_now)" 'v["z"] == 4159 && v["y"] == 1168'
jump_from=$(frame_now)
hold_key space 2
wait_until 'v["z"] == 4207 && v["vy"] == 0' "the walk to go on over the step up to the next one"
wait_frames 5
xdotool keyup d
onto=$(first_line "$jump_from" 'v["z"] > 4160')
check "the feet enter the step's column only above its top (y $(field y "$onto") >= 1184)" \
    holds 'v["y"] >= 1184' "$onto"
landed=$(first_line "$(field frame "$onto")" 'v["vy"] == 0')
check "jump and walk end standing on the step, 16 higher, and stay there" \
    all_lines "$(field frame "$landed")" "$(frame_now)" 'v["y"] == 1184 && v["vy"] == 0'
check "on the step the next, higher step stops the walk at z = 4207" holds 'v["z"] == 4207'

echo "# digging a hole and standing in it"
look_until 'v["pitch"] > 3.14' 0 100
wait_frames 2
feet=$(last_line)
hx=$(awk -v x="$(field x)" 'BEGIN { print int(x / 16) }')
hz=262
check "looking straight down the aim is on the block under the feet ($hx,73,$hz)" \
    holds "v[\"pick\"] == 1 && v[\"block\"] == \"$hx,73,$hz\" && v[\"dist\"] == 26" "$feet"
click 1
removal=$CLICK_LINE
wait_until 'v["y"] < 1184 && v["vy"] == 0' "the fall into the hole"
wait_frames 5
check "the left click removes the block under the feet" \
    test "$(field edit "$removal")" = removed -a "$(field block "$removal")" = "$hx,73,$hz"
lowest=$(lines_between "$CLICK_FROM" "$(frame_now)" |
    awk "$AWK_PARSE"' { parse($0); if (!n++ || v["y"] < m) m = v["y"] } END { print m }')
check "the player drops exactly one block, to 1168, and stands in the hole (lowest y $lowest)" \
    holds "$lowest == 1168 && v[\"y\"] == 1168 && v[\"vy\"] == 0"
check "falling into the hole does not move the player sideways" \
    test "$(field x)" = "$(field x "$feet")" -a "$(field z)" = "$(field z "$feet")"
click 3
refusal=$CLICK_LINE
check "a block aimed into the hole, where the feet are, is refused (refused_body)" \
    test "$(field edit "$refusal")" = refused_body -a "$(field block "$refusal")" = "$hx,72,$hz"
check "after the refusal the aim is still on the floor of the hole" holds "v[\"block\"] == \"$hx,72,$hz\""
hold_key w 15
wait_frames 2
check "the walls of the hole stop walking: W ends at x = $((hx * 16 + 15))" \
    holds "v[\"x\"] == $((hx * 16 + 15)) && v[\"y\"] == 1168 && v[\"z\"] == 4207"
look_until 'v["pitch"] < 2.6' 0 -100
wait_frames 2
check "looking out of the hole the aim rests on the ground beside it ($((hx + 1)),73,$hz)" \
    holds "v[\"block\"] == \"$((hx + 1)),73,$hz\""
click 3
check "a block aimed beside the player is placed" test "$(field edit "$CLICK_LINE")" = placed
check "the aim now rests on the new block on top of that ground ($((hx + 1)),74,$hz)" \
    holds "v[\"block\"] == \"$((hx + 1)),74,$hz\""
check "the player still stands in the hole" holds "v[\"y\"] == 1168 && v[\"vy\"] == 0"

echo "# a removal on a chunk border leaves no gap"
# The cell on the -z side of the hole, (hx, 73, 261), is the first cell of its
# chunk along x when hx is a multiple of 16; removing it opens the face of
# (hx - 1, 73, 261), which belongs to the chunk across the border.
[ $((hx % 16)) -eq 0 ] || fail_now "the hole is not in the first column of a chunk (x block $hx)"
look_until 'v["yaw"] < -1.95' -100 0
look_until 'v["pitch"] < 2.1' 0 -20
wait_frames 2
border="$hx,73,261"
check "looking back and down the aim is on the border cell $border" holds "v[\"block\"] == \"$border\""
before=$(screenshot border-before)
click 1
removal=$CLICK_LINE
check "the border cell is removed, remeshing its own chunk and the one across x (rebuilt=2)" \
    test "$(field edit "$removal")" = removed -a "$(field block "$removal")" = "$border" \
    -a "$(field rebuilt "$removal")" = 2
still=$(field pos)
after=$(screenshot border-after)
signal_from=$(frame_now)
kill -USR1 "$GAME_PID"
wait_any_line "$signal_from" 'v["rebuilt_all"] == 1' "every chunk mesh to be rebuilt"
wait_frames 3
fresh=$(screenshot border-rebuilt)
check "the player did not move while the pictures were taken" test "$(field pos)" = "$still"
check "the removed cell shows as a hole (the picture changed)" \
    test "$(differing_pixels "$before" "$after" "$WORLD")" -gt 1000
check "the picture the edit left equals one drawn from every mesh rebuilt afresh" \
    test "$(differing_pixels "$after" "$fresh" "$WORLD")" -eq 0

xdotool key Escape
wait_game_exit
check "Escape ends the game with status 0 (got $GAME_STATUS)" test "$GAME_STATUS" -eq 0
e2e_finish
