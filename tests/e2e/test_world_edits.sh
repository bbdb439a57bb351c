#!/usr/bin/env bash
# Moving through edited ground in the probe build with real input: two keys at
# once, climbing a one-block step, digging a hole and standing in it, placing
# blocks from inside it, and a removal on a chunk border that must leave no gap
# where the chunks meet. Each part starts the probe where it needs to be.
# Usage: test_world_edits.sh GAME_DIR [WM_CLOSE_TOOL]
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

# The ground there: the height rule (top solid cell of column (i, j), in
# blocks) evaluated apart from the game, step by step in single precision:
#   j (z block):   256  257  258  259  260  261  262  263
#   i = 255         71   72   72   72   73   73   73   73
#   i = 256         72   72   72   72   73   73   73   74
#   i = 257         71   72   72   72   73   73   73   74
# Feet on cell 72 are at y = 73 * 16 = 1168, on cell 73 at 1184. At yaw 0, W
# walks +x and D walks +z, a step a frame. Column i = 256 is the first of chunk 16
# along x: its cells border chunk 15 across x = 4096.
WORLD=$BELOW_OVERLAY  # the picture below the overlay, whose figures change

# stays_put FIRST CONDITION: the frames from FIRST to now, at least five more
# with the key still held, all satisfy the condition (a wall stopped the walk).
stays_put() {
    wait_frames 5
    all_lines "$1" "$(frame_now)" "$2"
}

echo "# two keys at once"
# High above the world nothing is in the way of the walk.
start_probe two_keys 4096,4000,4096
from=$(frame_now)
hold_until "w d" 'v["x"] >= 4111 && v["z"] >= 4111' "W+D to carry the player 15 along x and z"
# Per frame: B when x and z each gained exactly a step, X or Z when one alone did
# (a key seen a frame before the other), 0 for no move, ! for anything else.
moves=$(lines_between "$from" "$(frame_now)" | awk "$AWK_PARSE"'
    { parse($0)
      if (NR > 1) { dx = v["x"] - px; dz = v["z"] - pz
                    c = dx == s && dz == s ? "B" : dx == s && dz == 0 ? "X" : "!"
                    if (dx == 0) c = dz == s ? "Z" : dz == 0 ? "0" : "!"
                    printf "%s", c }
      px = v["x"]; pz = v["z"] }' s="$(tuning PLAYER_WALK_STEP)")
check "W+D together move a step along x AND along z in the same frame ($moves)" \
    grep -q -E '^0*(X*|Z*)BBBBB+(X*|Z*)0*$' <<<"$moves"
quit_game

echo "# a one-block step"
start_probe step 4102,1168,4150  # column (256, 259), standing, facing +x
xdotool keydown d
wait_until 'v["z"] >= 4158.5' "D to bring the player to the step's face at z = 4160"
check "walking alone into the step stops just before its face, feet still at 1168 (z $(field z))" \
    stays_put "$(field frame "$WAIT_LINE")" \
    "v[\"z\"] == $(field z "$WAIT_LINE") && v[\"z\"] < 4160 && v[\"y\"] == 1168"
jump_from=$(frame_now)
hold_until space 'v["vy"] > 0' "Space to start a jump"
wait_until 'v["z"] >= 4206.5 && v["vy"] == 0' "the walk to go on over the step up to the next one at z = 4208"
stop=$WAIT_LINE
check "on the step the next, higher step stops the walk just before its face (z $(field z "$stop"))" \
    stays_put "$(field frame "$stop")" "v[\"z\"] == $(field z "$stop") && v[\"z\"] < 4208"
xdotool keyup d
onto=$(first_line "$jump_from" 'v["z"] > 4160')
check "the feet enter the step's column only above its top (y $(field y "$onto") >= 1184)" \
    holds 'v["y"] >= 1184' "$onto"
landed=$(first_line "$(field frame "$onto")" 'v["vy"] == 0')
check "jump and walk end standing on the step, 16 higher, and stay there" \
    all_lines "$(field frame "$landed")" "$(frame_now)" 'v["y"] == 1184 && v["vy"] == 0'
quit_game

echo "# digging a hole and standing in it"
# On the step at column (256, 262), looking straight down. The hole is then in
# the first column of chunk 16.
hx=256 hz=262
start_probe hole 4102,1184,4207,0,3.1405928
feet=$(last_line)
check "looking straight down the aim is on the block under the feet ($hx,73,$hz)" \
    holds "v[\"pick\"] == 1 && v[\"block\"] == \"$hx,73,$hz\" && v[\"dist\"] == 26" "$feet"
click 1
removal=$CLICK_LINE
check "the left click removes the block under the feet" \
    test "$(field edit "$removal")" = removed -a "$(field block "$removal")" = "$hx,73,$hz"
wait_until 'v["y"] < 1184 && v["vy"] == 0' "the fall into the hole"
wait_frames 3
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
xdotool keydown w
wait_until 'v["x"] >= 4110.5' "W to bring the player to the hole's wall at x = 4112"
check "the walls of the hole stop walking just before x = 4112 (x $(field x "$WAIT_LINE"))" \
    stays_put "$(field frame "$WAIT_LINE")" \
    "v[\"x\"] == $(field x "$WAIT_LINE") && v[\"x\"] < 4112 && v[\"y\"] == 1168 && v[\"z\"] == 4207"
xdotool keyup w
wait_frames 2
look_until 'v["pitch"] < 2.6' 0 -100
check "looking out of the hole the aim rests on the ground beside it ($((hx + 1)),73,$hz)" \
    holds "v[\"block\"] == \"$((hx + 1)),73,$hz\""
click 3
check "a block aimed beside the player is placed" test "$(field edit "$CLICK_LINE")" = placed
check "the aim now rests on the new block on top of that ground ($((hx + 1)),74,$hz)" \
    holds "v[\"block\"] == \"$((hx + 1)),74,$hz\""
check "the player still stands in the hole" holds "v[\"y\"] == 1168 && v[\"vy\"] == 0"

echo "# a removal on a chunk border leaves no gap"
# The cell on the -z side of the hole, (hx, 73, 261), is the first cell of its
# chunk along x; removing it opens the face of (hx - 1, 73, 261), which belongs
# to the chunk across the border.
border="$hx,73,261"
look_until 'v["yaw"] < -1.95' -100 0
look_until "v[\"block\"] == \"$border\"" 0 -20
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
quit_game
e2e_finish
