#!/usr/bin/env bash
# The window as a player meets it: its title and size, the console lines, the
# first picture (sky and overlay), the ways to end the program, running with no
# display or a missing image, focus changes and resizing.
# Usage: test_window.sh GAME_DIR WM_CLOSE_TOOL
source "$(dirname "$0")/lib.sh"
e2e_init "$@"
[ -x "$WM_CLOSE" ] || fail_now "the WM_DELETE_WINDOW tool is missing: '$WM_CLOSE'"

# Polls screenshots of the shipping game (which reports no frames) until the
# middle of the picture is sky, i.e. a frame has been drawn.
wait_for_sky() {
    local deadline=$((SECONDS + 15)) shot
    while [ "$SECONDS" -lt "$deadline" ] && game_alive; do
        shot=$(screenshot "$1")
        [ "$(nonwhite_count "$shot" 200x200+220+140)" = 0 ] && return 0
        sleep 0.1
    done
}

# The overlay lines start at OVERLAY_TOPS, OVERLAY_LEFT from the left, a
# GLYPH_WIDTH x GLYPH_HEIGHT cell a character (tools/game_figures.sh).
overlay_line_box() { black_box "$1" "240x$GLYPH_HEIGHT+0+$2"; }
line_top() { local tops=($OVERLAY_TOPS); echo "${tops[$1]}"; }
# BOX N: the ink ends inside the Nth character cell ("X: 256.000000" has 13).
ink_ends_in_cell() {
    local box=($1)
    [ ${#box[@]} -eq 4 ] && [ "${box[2]}" -ge $((OVERLAY_LEFT + ($2 - 1) * GLYPH_WIDTH)) ] &&
        [ "${box[2]}" -lt $((OVERLAY_LEFT + $2 * GLYPH_WIDTH)) ]
}

echo "# the shipping game: window, console, first picture, Escape"
start_game vexelmoor escape
wait_window
check "the window is titled Vexelmoor" test "$(xdotool getwindowname "$WIN")" = Vexelmoor
geometry=$(xwininfo -id "$WIN" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
check "the window is 640x480 (got $geometry)" test "$geometry" = 640x480
wait_for_sky first
shot=$WORK/first.png
check "the first picture looks up into white sky below the overlay" \
    test "$(nonwhite_count "$shot" "$BELOW_OVERLAY")" -eq 0
check "nothing is drawn left of or above the overlay's margins" \
    test "$(($(nonwhite_count "$shot" 640x$(line_top 0)+0+0) + $(nonwhite_count "$shot" ${OVERLAY_LEFT}x480+0+0)))" -eq 0
# "TOP LEFT INK_TOP RIGHT INK_BOTTOM" per line: the ink of every line starts
# in its first cell and as far below its top as the others' (capitals all).
ink=$(for top in $OVERLAY_TOPS; do echo "$top $(overlay_line_box "$shot" "$top")"; done)
check "the overlay lines at y = $OVERLAY_TOPS hold black text from x = $OVERLAY_LEFT ($(echo $ink))" \
    awk -v l="$OVERLAY_LEFT" -v w="$GLYPH_WIDTH" 'NF != 5 || $2 < l || $2 >= l + w { bad = 1 }
         !(($3 - $1) in rise) { rise[$3 - $1]; ++n } END { exit bad || n != 1 }' <<<"$ink"
check "overlay text is pure black on white (no other colours)" \
    test "$(($(colour_count "$shot" 240x60+0+0 000000) + $(colour_count "$shot" 240x60+0+0 FFFFFF)))" \
    -eq $((240 * 60))
check "the X line (X: 256.000000) spans 13 characters" ink_ends_in_cell "$(overlay_line_box "$shot" "$(line_top 1)")" 13
check "the Z line (Z: 256.000000) spans 13 characters" ink_ends_in_cell "$(overlay_line_box "$shot" "$(line_top 3)")" 13
quit_game
check "the console shows exactly the two loading lines" \
    test "$(console_text "$GAME_LOG")" = "$(printf 'Successfully loaded texture.png\nSuccessfully loaded fonta.png')"

echo "# the close button"
start_game vexelmoor close
wait_window
wait_for_sky close
"$WM_CLOSE" "$WIN"
wait_game_exit
check "a close request (WM_DELETE_WINDOW) ends the program with status 0 (got $GAME_STATUS)" \
    test "$GAME_STATUS" -eq 0

echo "# no display"
if on_windows; then
    # Wine without an X server stops before the game starts.
    echo "skipped: a Windows desktop always has a display"
else
    (cd "$GAME_DIR" && exec env -u DISPLAY ./vexelmoor) >"$WORK/nodisplay.out" 2>"$WORK/nodisplay.err"
    status=$?
    check "without a display the program exits with status 1 (got $status)" test "$status" -eq 1
    check "without a display it explains itself in one line on stderr" \
        test "$(grep -c . "$WORK/nodisplay.err")" -eq 1
    check "without a display nothing is loaded or printed on stdout" test ! -s "$WORK/nodisplay.out"
fi

echo "# a missing font sheet"
mkdir "$WORK/nofont"
cp "$GAME_DIR/vexelmoor$EXE" "$GAME_DIR/texture.png" "$WORK/nofont/"
GAME_DIR=$WORK/nofont start_game vexelmoor nofont
wait_window
wait_for_sky nofont
check "without fonta.png the world is still drawn (sky in the middle)" \
    test "$(nonwhite_count "$WORK/nofont.png" 200x200+220+140)" -eq 0
quit_game
check "without fonta.png the console reports the failure" \
    test "$(console_text "$GAME_LOG")" = "$(printf 'Successfully loaded texture.png\nFailed to load fonta.png')"

echo "# focus and resizing (probe build)"
start_probe probe
# Stand on the ground first so the position lines stop changing.
wait_until 'v["y"] < 2048 && v["vy"] == 0' "the player to land"
check "the window has focus once started" holds 'v["focus"] == 1'
if on_windows; then
    echo "skipped: focus changes (without a window manager Wine takes no X focus change for a Windows one)"
else
    open_other_window
    xdotool windowfocus --sync "$OTHER_WIN"
    wait_until 'v["focus"] == 0' "focus lost" 10
    frames_unfocused_from=$(frame_now)
    wait_frames 10
    check "the frame loop keeps running without focus (focus=0 for 10 frames)" \
        all_lines "$frames_unfocused_from" "$(frame_now)" 'v["focus"] == 0'
    xdotool windowfocus --sync "$WIN"
    wait_until 'v["focus"] == 1' "focus regained" 10
    check "focus comes back when the window is focused again" holds 'v["focus"] == 1'
fi

# Straight down the whole picture is ground; then grow the window.
look_until 'v["pitch"] > 3.1' 0 100
before=$(screenshot before-resize)
check "looking straight down the whole picture is ground" \
    test "$(colour_count "$before" "$BELOW_OVERLAY" FFFFFF)" -eq 0
check "standing on the ground the Y line (Y: 73.000000, feet at 1168 / 16) spans 12 characters" \
    ink_ends_in_cell "$(overlay_line_box "$before" "$(line_top 2)")" 12
yaw_before=$(field yaw)
pitch_before=$(field pitch)
xdotool windowsize "$WIN" 800 600
wait_until 'v["w"] == 800 && v["h"] == 600' "the resize to reach the game" 10
wait_frames 3
check "the new window centre is not taken for mouse motion (view unchanged)" \
    holds "v[\"yaw\"] == $yaw_before && v[\"pitch\"] == $pitch_before"
after=$(screenshot after-resize)
check "the screenshot after the resize is 800x600" test "$("$CONVERT" "$after" -format %wx%h info:)" = 800x600
check "the picture fills the new width (no white right of x=640)" \
    test "$(colour_count "$after" 160x600+640+0 FFFFFF)" -eq 0
check "the picture fills the new height (no white in the top 120 rows)" \
    test "$(colour_count "$after" 800x120+0+0 FFFFFF)" -eq 0
# Position lines only: the FPS figure may change between the two pictures.
black_only() { "$CONVERT" "$1" -fill white +opaque '#000000' png24:"$2"; }
black_only "$before" "$WORK/overlay-before.png"
black_only "$after" "$WORK/overlay-after.png"
check "the overlay text keeps its size and place after the resize" \
    test "$(differing_pixels "$WORK/overlay-before.png" "$WORK/overlay-after.png" 140x50+0+20)" -eq 0
check "the game is still running after the resize" game_alive
quit_game

e2e_finish
