#!/usr/bin/env bash
# The shipping game on X servers it may not be able to draw on: one without
# OpenGL (as over ssh -X to many hosts), an 8-bit and a 16-bit screen. Each
# start either ends at once with status 1 and one line of the game's own
# saying why, or plays: its window shows a drawn frame and Escape ends it.
# Usage: test_displays.sh GAME_DIR
source "$(dirname "$0")/lib.sh"
e2e_init "$1"

for server in "-extension GLX -screen 0 1280x1024x24" "-screen 0 1024x768x8" "-screen 0 1024x768x16"; do
    echo "# Xvfb $server"
    kill "$XVFB_PID" && wait "$XVFB_PID"
    start_xvfb $server
    name=$(tr -dc 0-9a-zA-Z <<<"$server")
    start_game vexelmoor "$name"
    deadline=$((SECONDS + 30))
    until ! game_alive || WIN=$(xdotool search --onlyvisible --name '^Vexelmoor$') || [ $SECONDS -gt $deadline ]
    do sleep 0.05; done
    if game_alive; then
        # Looking up, the first drawn frame is sky in the middle (a window not yet drawn is black).
        until [ "$(nonwhite_count "$(screenshot "$name")" 200x200+220+140)" = 0 ] || [ $SECONDS -gt $deadline ]
        do sleep 0.1; done
        check "it plays: a frame is drawn" test $SECONDS -le $deadline
        quit_game
    else
        wait_game_exit
        check "it ends with status 1 (got $GAME_STATUS)" test "$GAME_STATUS" -eq 1
        check "stderr holds one line of its own: $(head -c 200 "$WORK/$name.err")" bash -c \
            '[ "$(wc -l <"$1")" = 1 ] && grep -q "^vexelmoor: cannot open a window: ." "$1"' _ "$WORK/$name.err"
    fi
done
e2e_finish
