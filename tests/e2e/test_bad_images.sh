#!/usr/bin/env bash
# The shipping game started with a broken or unusual texture.png and
# fonta.png, in a copy of its folder. In the sanitizer build this is the
# AddressSanitizer + UndefinedBehaviorSanitizer game, and any report fails the
# run. The start must: open the window, print exactly one console line per
# image (texture.png first), keep drawing, draw a failed surface untextured,
# and end with status 0 on Escape. Each start tries one kind of file for each
# image; tests/CMakeLists.txt gives every class of broken file one start.
# A file without read permission cannot be tried: the tests run as root, who
# reads it anyway.
# Usage: test_bad_images.sh GAME_DIR MAKE_IMAGE_SEEDS_TOOL TEXTURE_KIND FONTA_KIND
# where a kind is "good" (the game's own image), "missing", "directory", "fifo"
# (a named pipe no one writes to) or the name of a file that make_image_seeds
# writes.
source "$(dirname "$0")/lib.sh"
SEED_TOOL=${2:?the make_image_seeds tool}
TEXTURE_KIND=${3:?the kind of texture.png}
FONTA_KIND=${4:?the kind of fonta.png}
e2e_init "$1"

sanitizer_setup "vexelmoor$EXE"

SEEDS=$WORK/seeds
mkdir -p "$SEEDS" && "$SEED_TOOL" "$SEEDS" || fail_now "make_image_seeds failed"
GOOD_GAME=$GAME_DIR
GAME_DIR=$WORK/game
mkdir -p "$GAME_DIR" && cp "$GOOD_GAME/vexelmoor$EXE" "$GAME_DIR/" || fail_now "cannot copy the game"

# 8-bit PNGs of every colour type load (expanded to four channels); other
# depths and damaged files do not.
LOADED=" good one_pixel.png non_square.png grey8.png grey_alpha8.png rgb8.png "
GROUND=640x240+0+240

# "WHITE GREEN": pure white pixels, and pixels whose green component is the
# highest, in a region.
white_green() {
    "$CONVERT" "$1" -crop "$2" +repage -format %c histogram:info:- | awk '
        { n = $1 + 0; gsub(/[(),:]/, " "); split($0, c, " ")
          if (c[2] == 255 && c[3] == 255 && c[4] == 255) w += n
          else if (c[3] > c[2] && c[3] > c[4]) g += n }
        END { print w + 0, g + 0 }'
}

# Polls screenshots until COMMAND (given the picture) holds, for at most 30
# seconds (the sanitizer build builds its world slowly); prints its path.
shot_until() {
    local name=$1 deadline=$((SECONDS + 30)) shot
    shift
    while [ "$SECONDS" -lt "$deadline" ] && game_alive; do
        shot=$(screenshot "$name")
        "$@" "$shot" && echo "$shot" && return 0
        sleep 0.05
    done
    return 1
}
# In the view toward the origin from high up, the corner left of and above the
# overlay is sky: white there means a frame has been drawn (a window not yet
# drawn is black).
frame_drawn() { [ "$(colour_count "$1" 8x8+0+0 FFFFFF)" -eq 64 ]; }
picture_sum() { "$CONVERT" "$1" rgb:- | cksum; }
picture_changed() { [ "$(picture_sum "$1")" != "$FIRST_PICTURE" ]; }

# put_image FILE KIND: places texture.png or fonta.png of that kind in the game folder.
put_image() {
    case $2 in
    good) cp "$GOOD_GAME/$1" "$GAME_DIR/" ;;
    missing) ;;
    directory) mkdir "$GAME_DIR/$1" ;;
    fifo) mkfifo "$GAME_DIR/$1" ;;
    *) cp "$SEEDS/$2" "$GAME_DIR/$1" ;;
    esac || fail_now "cannot make $1 of kind $2"
}
loads() { [[ $LOADED == *" $1 "* ]]; }

name=texture-${TEXTURE_KIND%.png}-fonta-${FONTA_KIND%.png}
put_image texture.png "$TEXTURE_KIND"
put_image fonta.png "$FONTA_KIND"
echo "# texture.png: $TEXTURE_KIND, fonta.png: $FONTA_KIND"

# Home from the first frame turns the view toward the origin, over the
# ground. As the player falls the figures of the overlay change, and so does
# the view of a textured ground (an untextured one is all white).
xdotool keydown Home keydown w
LD_PRELOAD=$SANITIZER_PRELOAD start_game vexelmoor "$name"
wait_window
later=
first=$(shot_until "$name-first" frame_drawn)
check "a frame is drawn" test -n "$first"
if [ -n "$first" ]; then
    FIRST_PICTURE=$(picture_sum "$first")
    later=$(shot_until "$name-later" picture_changed)
    check "it keeps drawing (the picture changes as the player falls)" test -n "$later"
fi
xdotool keyup w keyup Home
if [ -n "$later" ]; then
    counts=($(white_green "$later" $GROUND)) all=$((640 * 240))
    if [ "$TEXTURE_KIND" = good ]; then
        check "the atlas textures the ground green (${counts[1]} green pixels)" test "${counts[1]}" -gt $((all / 2))
    elif loads "$TEXTURE_KIND"; then
        check "the loaded image textures the ground (${counts[0]} of $all pixels white)" \
            test "${counts[0]}" -lt $((all * 3 / 4))
    else
        # Untextured faces show their vertex colour alone, and every face in
        # this view faces open air at full light: white.
        check "without the atlas the ground is drawn untextured: white, no texels" test "${counts[0]}" -eq "$all"
    fi
    # The first cell of the overlay holds the F of "FPS": solid black when
    # the font sheet failed (untextured quads), a glyph with the game's own.
    cell=$(colour_count "$later" 8x12+8+8 000000)
    if ! loads "$FONTA_KIND"; then
        check "without the font sheet each character is a solid black block" test "$cell" -eq 96
    elif [ "$FONTA_KIND" = good ]; then
        check "the font sheet draws glyphs ($cell of 96 pixels black)" test "$cell" -gt 10 -a "$cell" -lt 96
    fi
fi

quit_game
texture="Successfully loaded texture.png" fonta="Successfully loaded fonta.png"
loads "$TEXTURE_KIND" || texture="Failed to load texture.png"
loads "$FONTA_KIND" || fonta="Failed to load fonta.png"
check "the console shows exactly: $texture / $fonta" \
    test "$(console_text "$GAME_LOG")" = "$(printf '%s\n%s' "$texture" "$fonta")"
report=$(grep -m1 -E "$SANITIZER_REPORT" "$WORK/$name.err")
check "no sanitizer report${report:+ ($report)}" test -z "$report"
if [ -n "$report" ]; then
    grep -m3 -A3 -E '^(Direct|Indirect) leak|ERROR: AddressSanitizer|runtime error:' "$WORK/$name.err" |
        grep -v -E 'LeakSanitizer|^--$' | sed 's/^/    /'
fi
e2e_finish
