#!/usr/bin/env bash
# Aiming at and editing blocks in the probe build with the real mouse: the
# black outline around the aimed cell, removal with the left button, placement
# with the right one, and the placement that would trap the player.
# Usage: test_edit.sh GAME_DIR [WM_CLOSE_TOOL]
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

CENTRE=300x300+170+110  # around the window centre (320, 240), clear of the overlay

# The aim, recomputed from a probe line's position and angles: the ray starts 25
# units above the feet and is sampled at whole distances; a sample's block is
# its coordinates / 16, truncated. sample_block LINE DISTANCE prints "bx by bz".
sample_block() {
    awk "$AWK_PARSE"' { parse($0)
        s = sin(v["pitch"]); t = d + 0
        printf "%d %d %d\n", int((v["x"] + t * cos(v["yaw"]) * s) / 16),
                             int((v["y"] + 25 + t * cos(v["pitch"])) / 16),
                             int((v["z"] + t * sin(v["yaw"]) * s) / 16) }' d="$2" <<<"$1"
}
picked_block() { awk "$AWK_PARSE"' { parse($0); print v["bx"], v["by"], v["bz"] }' <<<"$1"; }
line_of_frame() { lines_between "$1" "$1"; }

# Chunks that must be remeshed when a block changes: its own, plus each chunk
# across a face the block touches (so no hole or stale face shows there).
chunks_touched() {
    awk -v b="$1" 'BEGIN { split(b, c, " "); n = 1
        limit[1] = 32; limit[2] = 8; limit[3] = 32
        for (i = 1; i <= 3; ++i) {
            cell = c[i] % 16; chunk = int(c[i] / 16)
            if (cell == 0 && chunk > 0) ++n
            if (cell == 15 && chunk < limit[i] - 1) ++n
        }
        print n }'
}

PROBE_CENTRE=1 start_probe edit
wait_until 'v["frame"] >= 100 && v["vy"] == 0' "the player to land"
wait_frames 2

echo "# the outline"
sky=$(screenshot aim-sky)
check "aiming at the sky nothing is picked" holds 'v["pick"] == 0'
check "aiming at the sky there is no outline (no black pixels in the middle)" \
    test "$(colour_count "$sky" $CENTRE 000000)" -eq 0
# Pitch 1.8, 13 degrees below the horizon: from the landing the ray meets the
# ground only 180 units away (block 266, 71, 256), beyond the reach (PICK_REACH).
look_until 'v["pitch"] > 1.8' 0 100
far=$(screenshot aim-far)
check "aiming at ground out of reach nothing is picked" holds 'v["pick"] == 0'
check "ground out of reach shows no outline (no black pixels in the middle)" \
    test "$(colour_count "$far" $CENTRE 000000)" -eq 0
check "the ground itself fills the lower half there" \
    test "$(nonwhite_count "$far" 640x240+0+240)" -gt $((640 * 240 * 9 / 10))
# Pitch 2.4, about 47 degrees down: ground within reach.
look_until 'v["pitch"] > 2.4' 0 100
aimed_line=$(last_line)
aimed=$(screenshot aim-ground)
aimed_block=$(picked_block "$aimed_line")
aimed_dist=$(field dist "$aimed_line")
check "aiming at near ground picks a block (block $aimed_block at distance $aimed_dist)" \
    holds "v[\"pick\"] == 1 && v[\"dist\"] >= $(tuning PICK_FIRST_SAMPLE) && v[\"dist\"] < $(tuning PICK_REACH)" "$aimed_line"
check "the picked block holds the ray's sample at the reported distance" \
    test "$(sample_block "$aimed_line" "$aimed_dist")" = "$aimed_block"
check "the sample one step nearer lies in another block (first hit along the ray)" \
    test "$(sample_block "$aimed_line" $((aimed_dist - 1)))" != "$aimed_block"
box=($(black_box "$aimed" 640x400+0+80))
check "a black outline surrounds the aim point at the window centre (box ${box[*]:-none})" \
    test ${#box[@]} -eq 4 -a "${box[0]:-0}" -lt 320 -a "${box[2]:-0}" -gt 320 \
    -a "${box[1]:-0}" -lt 240 -a "${box[3]:-0}" -gt 240

echo "# removing"
click 1
removal=$CLICK_LINE
check "the left button is seen for exactly one frame per press" \
    test "$(lines_between "$CLICK_FROM" "$(frame_now)" | grep -c ' left=1 ')" -eq 1
check "the left click removes the aimed block" \
    test "$(field edit "$removal")" = removed -a "$(picked_block "$removal")" = "$aimed_block"
check "the removal remeshes its chunk and the chunks across its faces" \
    test "$(field rebuilt "$removal")" = "$(chunks_touched "$aimed_block")"
# Read before the swap: the frame that made the edit already draws without the block.
before_removal=$(field centre "$(line_of_frame $(($(field frame "$removal") - 1)))")
check "the removal shows in the frame that made it (its middle differs from the frame before's, $before_removal)" \
    test -n "$before_removal" -a "$(field centre "$removal")" != "$before_removal"
after_removal_line=$(last_line)
removed=$(screenshot removed)
behind=$(picked_block "$after_removal_line")
check "the aim now passes through the removed cell to another block ($behind)" \
    test "$(field pick "$after_removal_line")" = 1 -a "$behind" != "$aimed_block"
check "the removal shows in the picture" test "$(differing_pixels "$aimed" "$removed" $CENTRE)" -gt 1000

echo "# placing"
click 3
placement=$CLICK_LINE
placed_block=$(sample_block "$placement" $(($(field dist "$placement") - 1)))
check "the right click places a block" test "$(field edit "$placement")" = placed
check "the placement remeshes its chunk and the chunks across its faces" \
    test "$(field rebuilt "$placement")" = "$(chunks_touched "$placed_block")"
check "the new block sits one ray step before the hit, and the aim now rests on it ($placed_block)" \
    test "$(picked_block "$(last_line)")" = "$placed_block"
placed=$(screenshot placed)
check "the placement shows in the picture" test "$(differing_pixels "$removed" "$placed" $CENTRE)" -gt 1000

echo "# a block never traps the player"
look_until 'v["pitch"] > 3.14' 0 100
feet=$(last_line)
check "looking straight down the aim is on the block under the feet" \
    holds 'v["pick"] == 1 && v["by"] == int(v["y"] / 16) - 1 && v["dist"] == 26' "$feet"
before=$(screenshot feet)
click 3
refusal=$CLICK_LINE
check "placing into the cell of the feet is refused" test "$(field edit "$refusal")" = refused_body
check "after the refusal the player stands where it stood" \
    test "$(field pos)" = "$(field pos "$feet")" -a "$(field vy)" = 0
check "after the refusal the aim and the picture are unchanged" \
    test "$(picked_block "$(last_line)")" = "$(picked_block "$feet")" \
    -a "$(differing_pixels "$before" "$(screenshot feet-after)" $CENTRE)" -eq 0

quit_game
e2e_finish
