#!/usr/bin/env bash
# The shipping game started with a broken or unusual texture.png or fonta.png,
# one file at a time, in a copy of its folder. In the sanitizer build this is
# the AddressSanitizer + UndefinedBehaviorSanitizer game, and any report fails
# the run. Every start must: open the window, print exactly one console line
# per image (texture.png first), keep drawing, draw the failed surface
# untextured, and end with status 0 on Escape.
# A file without read permission cannot be tried: the tests run as root, who
# reads it anyway.
# Usage: test_bad_images.sh GAME_DIR MAKE_IMAGE_SEEDS_TOOL
source "$(dirname "$0")/lib.sh"
SEED_TOOL=${2:?the make_image_seeds tool}
e2e_init "$1"

sanitizer_setup vexelmoor

SEEDS=$WORK/seeds
mkdir -p "$SEEDS" && "$SEED_TOOL" "$SEEDS" || fail_now "make_image_seeds failed"
GOOD_GAME=$GAME_DIR
GAME_DIR=$WORK/game
mkdir -p "$GAME_DIR" && cp "$GOOD_GAME/vexelmoor" "$GAME_DIR/" || fail_now "cannot copy the game"

# "missing" and "directory" are made here, the rest are seed files. 8-bit
# PNGs of every colour type load (expanded to four channels); other depths and
# damaged files do not.
REFUSED="missing directory empty.png signature_only.png truncated_header.png header_only.png
         truncated_data.png no_end.png wrong_signature.png not_a_png.png huge_size_valid_crc.png
         zero_size_valid_crc.png rgba16.png grey16.png"
LOADED="one_pixel.png non_square.png grey8.png grey_alpha8.png rgb8.png"
OVERLAY=240x60+0+0
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

# Polls screenshots until COMMAND (given the picture) holds; prints its path.
shot_until() {
    local name=$1 i shot
    shift
    for i in $(seq 150); do
        shot=$(screenshot "$name")
        "$@" "$shot" && echo "$shot" && return 0
        game_alive || return 1
        sleep 0.05
    done
    return 1
}
# In the view toward the origin from high up, the corner left of and above the
# overlay is sky: white there means a frame has been drawn (a window not yet
# drawn is black).
frame_drawn() { [ "$(colour_count "$1" 8x8+0+0 FFFFFF)" -eq 64 ]; }
overlay_sum() { "$CONVERT" "$1" -crop $OVERLAY +repage rgb:- | cksum; }
overlay_changed() { [ "$(overlay_sum "$1")" != "$FIRST_OVERLAY" ]; }

# run_case FILE KIND EXPECTED
run_case() {
    local file=$1 kind=$2 expected=$3 name=${1%.png}-${2%.png}
    rm -rf "$GAME_DIR/texture.png" "$GAME_DIR/fonta.png"
    cp "$GOOD_GAME/texture.png" "$GOOD_GAME/fonta.png" "$GAME_DIR/" || fail_now "cannot copy the images"
    rm -f "$GAME_DIR/$file"
    case $kind in
    missing) ;;
    directory) mkdir "$GAME_DIR/$file" ;;
    *) cp "$SEEDS/$kind" "$GAME_DIR/$file" || fail_now "no seed file $kind" ;;
    esac
    echo "# $file: $kind"

    # Home from the first frame turns the view toward the origin, over the
    # ground; walking changes the overlay's figures in every frame.
    xdotool keydown Home keydown w
    LD_PRELOAD=$SANITIZER_PRELOAD start_game vexelmoor "$name"
    wait_window
    local first later=
    first=$(shot_until "$name-first" frame_drawn)
    check "a frame is drawn" test -n "$first"
    if [ -n "$first" ]; then
        FIRST_OVERLAY=$(overlay_sum "$first")
        later=$(shot_until "$name-later" overlay_changed)
        check "it keeps drawing (the overlay's figures change)" test -n "$later"
    fi
    xdotool keyup w keyup Home
    if [ -n "$later" ]; then
        local counts=($(white_green "$later" $GROUND)) all=$((640 * 240))
        if [ "$file" = fonta.png ]; then
            check "the atlas still textures the ground green (${counts[1]} green pixels)" \
                test "${counts[1]}" -gt $((all / 2))
        elif [ "$expected" = fail ]; then
            # Untextured faces show their vertex colour alone, and every face
            # in this view faces open air at full light: white.
            check "without the atlas the ground is drawn untextured: white, no texels" \
                test "${counts[0]}" -eq "$all"
        else
            check "the loaded image textures the ground (${counts[0]} of $all pixels white)" \
                test "${counts[0]}" -lt $((all * 3 / 4))
        fi
        # The first cell of the overlay holds the F of "FPS": solid black when
        # the font sheet failed (untextured quads), a glyph otherwise.
        local cell
        cell=$(colour_count "$later" 8x12+8+8 000000)
        if [ "$file" = fonta.png ] && [ "$expected" = fail ]; then
            check "without the font sheet each character is a solid black block" test "$cell" -eq 96
        elif [ "$file" = texture.png ]; then
            check "the font sheet still draws glyphs ($cell of 96 pixels black)" \
                test "$cell" -gt 10 -a "$cell" -lt 96
        fi
    fi

    xdotool key Escape
    wait_game_exit 60
    check "Escape ends it with status 0 (got $GAME_STATUS)" test "$GAME_STATUS" -eq 0
    local texture="Successfully loaded texture.png" fonta="Successfully loaded fonta.png"
    if [ "$expected" = fail ]; then
        [ "$file" = texture.png ] && texture="Failed to load texture.png" || fonta="Failed to load fonta.png"
    fi
    check "the console shows exactly: $texture / $fonta" \
        test "$(cat "$GAME_LOG")" = "$(printf '%s\n%s' "$texture" "$fonta")"
    local report
    report=$(grep -m1 -E "$SANITIZER_REPORT" "$WORK/$name.err")
    check "no sanitizer report${report:+ ($report)}" test -z "$report"
    # The first report in full enough to find its origin; the rest by name only.
    if [ -n "$report" ] && [ -z "$SHOWN_REPORT" ]; then
        SHOWN_REPORT=1
        grep -m3 -A3 -E '^(Direct|Indirect) leak|ERROR: AddressSanitizer|runtime error:' "$WORK/$name.err" |
            grep -v -E 'LeakSanitizer|^--$' | sed 's/^/    /'
    fi
}
SHOWN_REPORT=

for file in texture.png fonta.png; do
    for kind in $REFUSED; do run_case "$file" "$kind" fail; done
    for kind in $LOADED; do run_case "$file" "$kind" ok; done
done
e2e_finish
