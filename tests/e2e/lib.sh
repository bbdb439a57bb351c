# Shared harness for the end-to-end scripts: a private virtual X server, the
# game or its probe build run in the game folder, real input through xdotool,
# screenshots read back with ImageMagick. The probe prints one line per frame
# ("frame=12 pos=x,y,z vel=... yaw=... pitch=... focus=1 ... size=640x480 end").
# Waits count frames in that log, never wall-clock time: under a busy software
# renderer frames stretch and stall. Wall-clock limits only stop a hung run.
# Usage: source this file, call e2e_init "$@", then the helpers, then e2e_finish.
# With E2E_KEEP=1 the logs and screenshots are kept even when all checks pass.
# The Windows build is driven by the same scripts: E2E_RUNNER is the command
# its programs are started with (tests/windows/wine_game.sh), E2E_EXE their
# file names' ending (.exe).

set -uo pipefail

CONVERT=/usr/bin/convert
GAME_DIR=
WM_CLOSE=
WORK=
XVFB_PID=
GAME_PID=
GAME_LOG=
GAME_STATUS=
WIN=
EXTRA_PIDS=()
FAILURES=0
CHECKS=0
RUNNER=${E2E_RUNNER:-}
EXE=${E2E_EXE:-}

# on_windows: whether the programs driven are the Windows build's.
on_windows() { [ -n "$EXE" ]; }
# console_text FILE: a program's console output; Windows ends lines in CR LF.
console_text() { if on_windows; then tr -d '\r' <"$1"; else cat "$1"; fi; }

# tuning NAME, the overlay's figures (OVERLAY_TOPS, BELOW_OVERLAY, ...): read
# from the headers the game is built from.
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/game_figures.sh"

e2e_cleanup() {
    set +e
    local pid
    for pid in "$GAME_PID" "${EXTRA_PIDS[@]}"; do
        [ -n "$pid" ] || continue
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    [ -z "$RUNNER" ] || "$RUNNER" --stop
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    fi
    if [ "$FAILURES" -eq 0 ] && [ -n "$WORK" ] && [ -z "${E2E_KEEP:-}" ]; then
        rm -rf "$WORK"
    elif [ -n "$WORK" ]; then
        echo "logs and screenshots kept in $WORK"
    fi
}

# e2e_init GAME_DIR [WM_CLOSE_TOOL]
e2e_init() {
    GAME_DIR=$(cd "${1:?game folder}" && pwd)
    WM_CLOSE=${2:-}
    WORK=$(mktemp -d /tmp/vexelmoor-e2e.XXXXXX)
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
    start_xvfb
}

fail_now() {
    echo "FAIL: $*"
    FAILURES=$((FAILURES + 1))
    exit 1
}

# check NAME COMMAND...: runs the command, prints one line, counts a failure.
check() {
    local name=$1
    shift
    CHECKS=$((CHECKS + 1))
    if "$@"; then
        echo "ok   - $name"
    else
        echo "FAIL - $name"
        FAILURES=$((FAILURES + 1))
    fi
}

e2e_finish() {
    echo "$CHECKS checks, $FAILURES failed"
    [ "$FAILURES" -eq 0 ]
}

source "$(dirname "${BASH_SOURCE[0]}")/../../tools/xvfb.sh"
# start_xvfb [SERVER_OPTIONS...]
start_xvfb() {
    vex_start_xvfb "$WORK/xvfb.err" "$@" || fail_now "Xvfb did not start"
    XVFB_PID=$VEX_XVFB_PID
}

# start_game PROGRAM NAME: runs PROGRAM (vexelmoor or vexelmoor_probe) in the
# game folder, stdout to $WORK/NAME.out and stderr to $WORK/NAME.err.
start_game() {
    GAME_LOG=$WORK/$2.out
    (cd "$GAME_DIR" && exec $RUNNER "./$1$EXE") >"$GAME_LOG" 2>"$WORK/$2.err" &
    GAME_PID=$!
}

game_alive() {
    [ -n "$GAME_PID" ] || return 1
    local stat
    stat=$(ps -o stat= -p "$GAME_PID" 2>/dev/null) || return 1
    [ -n "$stat" ] && [[ $stat != Z* ]]
}

# wait_game_exit [SECONDS]: waits for the game to end; sets GAME_STATUS
# (124 when it did not end in time, and it is then stopped).
wait_game_exit() {
    local deadline=$((SECONDS + ${1:-20})) hung=
    while game_alive && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.05; done
    game_alive && hung=1 && kill "$GAME_PID" 2>/dev/null
    wait "$GAME_PID" 2>/dev/null
    GAME_STATUS=$?
    [ -z "$hung" ] || GAME_STATUS=124
    GAME_PID=
}

# wait_window: polls for the mapped game window; sets WIN.
wait_window() {
    local deadline=$((SECONDS + 30))
    WIN=
    while [ "$SECONDS" -lt "$deadline" ]; do
        WIN=$(xdotool search --onlyvisible --name '^Vexelmoor$' 2>/dev/null | head -n1)
        [ -n "$WIN" ] && return 0
        game_alive || break
        sleep 0.02
    done
    fail_now "the game window did not appear"
}

# start_probe NAME [X,Y,Z[,YAW,PITCH]]: starts the probe build, placed there
# by its first frame when a start is given, and waits for its window and for
# a frame after the start-up focus events (before it, keys do not walk).
start_probe() {
    PROBE_START=${2:-} start_game vexelmoor_probe "$1"
    wait_window
    wait_until 'v["frame"] >= 2 && v["focus"] == 1' "the first frames with focus" 30
}

# quit_game: Escape must end the game with status 0.
quit_game() {
    xdotool key Escape
    wait_game_exit
    check "Escape ends the game with status 0 (got $GAME_STATUS)" test "$GAME_STATUS" -eq 0
}

# The newest complete line of the probe log (a line is complete once it ends in " end").
last_line() { tail -n 3 "$GAME_LOG" 2>/dev/null | awk '/^frame=.* end$/ { l = $0 } END { print l }'; }

# field KEY [LINE]: one value from a probe line (the newest by default); KEY is
# a probe key or one of the split ones of AWK_PARSE below (x, y, vy, bx, ...).
field() {
    local line=${2-$(last_line)}
    awk "$AWK_PARSE"' { parse($0); print v[k] }' k="$1" <<<"$line"
}

frame_now() {
    local f=$(field frame)
    echo "${f:-0}"
}

# Probe lines as awk variables: v["frame"], v["x"], v["y"], v["z"], v["vy"],
# v["pitch"], v["bx"], v["by"], v["bz"], v["edit"], ...
AWK_PARSE='
function parse(line,   n, i, kv, parts) {
    delete v
    n = split(line, kv, " ")
    for (i = 1; i <= n; ++i) {
        split(kv[i], parts, "=")
        v[parts[1]] = parts[2]
    }
    split(v["pos"], parts, ","); v["x"] = parts[1] + 0; v["y"] = parts[2] + 0; v["z"] = parts[3] + 0
    split(v["vel"], parts, ","); v["vx"] = parts[1] + 0; v["vy"] = parts[2] + 0; v["vz"] = parts[3] + 0
    split(v["block"], parts, ","); v["bx"] = parts[1] + 0; v["by"] = parts[2] + 0; v["bz"] = parts[3] + 0
    split(v["size"], parts, "x"); v["w"] = parts[1] + 0; v["h"] = parts[2] + 0
}'

# holds CONDITION [LINE]: whether an awk condition over v[...] holds for a line.
holds() {
    local line=${2-$(last_line)}
    [ -n "$line" ] || return 1
    awk "$AWK_PARSE"' { parse($0); exit !('"$1"') }' <<<"$line"
}

# first_frame_after TAIL_FROM FIRST CONDITION SECONDS: follows the probe log
# (tail -n TAIL_FROM) as it grows and prints the first line of frame FIRST or
# later that satisfies the condition. Fails, printing the last line seen, when
# the game ends or SECONDS pass first. Following the log, rather than polling
# it, keeps a wait cheap on a busy machine and misses no single-frame state.
first_frame_after() {
    [ -n "$GAME_PID" ] || return 1
    timeout "$4" tail -s 0.1 --pid="$GAME_PID" -n "$1" -F "$GAME_LOG" 2>/dev/null |
        "${AWK_LINES[@]}" "$AWK_PARSE"'
            /^frame=.* end$/ { split($1, f, "="); if (f[2] + 0 < from) next
                               parse($0); last = $0
                               if ('"$3"') { print; found = 1; exit } }
            END { if (!found) { print last; exit 1 } }' from="$2"
    return "${PIPESTATUS[1]}"
}

# mawk reads a pipe in blocks unless told to take each line as it comes.
AWK_LINES=(awk)
awk -W version 2>&1 | grep -q mawk && AWK_LINES=(awk -W interactive)

# wait_until CONDITION WHAT [SECONDS]: waits, at most SECONDS (20), for a frame
# from the newest on that satisfies the condition; sets WAIT_LINE to it. Fails
# the script when none does, with the last state seen.
wait_until() {
    await_frame 1 0 "$@"
}

# wait_any_line FIRST CONDITION WHAT [SECONDS]: the same from frame FIRST on (a
# state that lasts one frame only, such as an edit, may already be past).
wait_any_line() {
    local first=$1
    shift
    await_frame +1 "$first" "$@"
}

await_frame() {
    if WAIT_LINE=$(first_frame_after "$1" "$2" "$3" "${5:-20}"); then return 0; fi
    game_alive || fail_now "the game ended while waiting for: $4 (last frame: $WAIT_LINE)"
    fail_now "timed out waiting for: $4 (last frame: $WAIT_LINE)"
}

# wait_frames N: returns once N more frames have been reported (a least
# number of frames, never a measure to assert on: see docs/architecture.md).
wait_frames() {
    local target=$(($(frame_now) + $1))
    wait_until "v[\"frame\"] >= $target" "$1 more frames"
}

# lines_between FIRST LAST: the probe lines of frames FIRST..LAST.
lines_between() {
    awk -v a="$1" -v b="$2" '/ end$/ { split($1, f, "="); if (f[2] + 0 >= a && f[2] + 0 <= b) print }' \
        "$GAME_LOG"
}

# any_line FIRST LAST CONDITION: whether some frame in the range satisfies it.
any_line() {
    lines_between "$1" "$2" | awk "$AWK_PARSE"' { parse($0); if ('"$3"') found = 1 } END { exit !found }'
}

# all_lines FIRST LAST CONDITION: whether every frame in the range satisfies it
# (and there is at least one).
all_lines() {
    lines_between "$1" "$2" |
        awk "$AWK_PARSE"' { parse($0); ++n; if (!('"$3"')) bad = 1 } END { exit !(n > 0 && !bad) }'
}

# hold_key KEY FRAMES: the game polls the keys once per frame, so a quick
# press could fall between two polls. Held while FRAMES more frames are
# reported, it is polled in all but perhaps the first (click holds a button
# until the game reports it instead).
hold_key() { xdotool keydown "$1" && wait_frames "$2" && xdotool keyup "$1"; }

# hold_until KEYS CONDITION WHAT [SECONDS]: holds the keys (e.g. "w d") until a
# frame satisfies the condition, then releases them and waits for a frame that
# was drawn after the release; WAIT_LINE is the first frame that met it.
hold_until() {
    local down=() up=() key line from=$(frame_now)
    # Up in the reverse order: a modifier held with a letter outlasts it.
    for key in $1; do down+=(keydown "$key") && up=(keyup "$key" "${up[@]}"); done
    xdotool "${down[@]}"  # one call: the keys go down together
    wait_any_line "$from" "${@:2}"
    line=$WAIT_LINE
    xdotool "${up[@]}"
    wait_frames 2
    WAIT_LINE=$line
}

# mouse_step DX DY: one relative move, then waits for frames enough that the
# game has read it and re-centred the cursor before the next move is sent.
mouse_step() {
    xdotool mousemove_relative -- "$1" "$2"
    wait_frames 2
}

# look_until CONDITION DX DY: mouse steps until the condition holds (at most
# 60), then waits until the view is on screen.
look_until() {
    local i
    for i in $(seq 61); do
        holds "$1" && wait_frames 2 && return 0
        mouse_step "$2" "$3"
    done
    fail_now "mouse look never reached: $1 (last frame: $(last_line))"
}

# open_other_window: starts a small second client window, to take the focus
# away from the game; sets OTHER_WIN.
open_other_window() {
    xlogo -geometry 100x100+0+0 >/dev/null 2>&1 &
    EXTRA_PIDS+=($!)
    local i
    for i in $(seq 500); do
        OTHER_WIN=$(xdotool search --onlyvisible --class xlogo 2>/dev/null | head -n1)
        [ -n "$OTHER_WIN" ] && return 0
        sleep 0.02
    done
    fail_now "the second window did not appear"
}

# screenshot NAME: saves the game window to $WORK/NAME.png and prints the path;
# prints nothing and fails when no picture was saved (it runs in a command
# substitution, where fail_now could not stop the script), so every check that
# reads the picture fails too.
screenshot() {
    local out=$WORK/$1.png
    rm -f "$out"
    if ! xwd -silent -id "$WIN" | "$CONVERT" xwd:- png24:"$out" || [ ! -s "$out" ]; then
        echo "screenshot $1 failed" >&2
        return 1
    fi
    echo "$out"
}

# colour_count PNG GEOMETRY HEX: pixels of exactly that colour (e.g. 000000) in
# a region; prints nothing and fails when the picture cannot be read, so that
# "no such pixels" is never concluded from a missing screenshot.
colour_count() {
    local histogram
    histogram=$("$CONVERT" "$1" -crop "$2" +repage -format %c histogram:info:-) || return 1
    awk -v c="#$3" 'toupper($0) ~ toupper(c) "[ F]" { n += $1 } END { print n + 0 }' <<<"$histogram"
}

# black_box PNG GEOMETRY: "left top right bottom" (inclusive, window pixels) of
# the pure black pixels in a region; empty when there are none.
black_box() {
    local black
    black=$(colour_count "$1" "$2" 000000) || return 1
    [ "$black" -gt 0 ] || return 0
    local off=${2#*+} box
    box=$("$CONVERT" "$1" -crop "$2" +repage -fill white +opaque '#000000' -format '%@' info:)
    awk -v box="$box" -v ox="${off%+*}" -v oy="${off#*+}" 'BEGIN {
        split(box, p, /[x+]/)
        print ox + p[3], oy + p[4], ox + p[3] + p[1] - 1, oy + p[4] + p[2] - 1
    }'
}

# nonwhite_count PNG GEOMETRY (WxH+X+Y); like colour_count on failure.
nonwhite_count() {
    local wh=${2%%+*} white
    white=$(colour_count "$1" "$2" FFFFFF) || return 1
    echo $((${wh%x*} * ${wh#*x} - white))
}

# differing_pixels A B GEOMETRY: pixels that differ between two screenshots in
# a region; prints nothing and fails when either picture cannot be read, so a
# numeric check on the result fails rather than comparing stale crops.
differing_pixels() {
    local a=$WORK/diff-a.png b=$WORK/diff-b.png count
    rm -f "$a" "$b"
    "$CONVERT" "$1" -crop "$3" +repage png24:"$a" && "$CONVERT" "$2" -crop "$3" +repage png24:"$b" || return 1
    count=$(/usr/bin/compare -metric AE "$a" "$b" null: 2>&1 >/dev/null | cut -d' ' -f1)
    [[ $count =~ ^[0-9]+$ ]] || return 1
    echo "$count"
}

# num_near A B TOLERANCE
num_near() { awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { exit !(a - b <= t && b - a <= t) }'; }

# click BUTTON: presses mouse button 1 (left) or 3 (right) until the game has
# seen it, then releases it and waits until a frame has seen it up (so the next
# press is a new click). Sets CLICK_FROM (the frame before the press) and
# CLICK_LINE (the frame that saw the press: the frame whose edit it drove).
click() {
    local key=left
    [ "$1" = 3 ] && key=right
    CLICK_FROM=$(frame_now)
    xdotool mousedown "$1"
    wait_any_line "$CLICK_FROM" "v[\"$key\"] == 1" "the $key click"
    CLICK_LINE=$WAIT_LINE
    xdotool mouseup "$1"
    wait_frames 2
}

# first_line FIRST CONDITION: the first frame's line from FIRST on that satisfies it.
first_line() {
    lines_between "$1" 999999999 | awk "$AWK_PARSE"' { parse($0); if ('"$2"') { print; exit } }'
}

# resident_kb PID: the resident set size (VmRSS) of a process, in kB.
resident_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null; }

# Lines by which AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer
# announce a report.
SANITIZER_REPORT='ERROR: AddressSanitizer|runtime error:|LeakSanitizer|ERROR: [A-Za-z]*Sanitizer'

# sanitizer_setup PROGRAM: when PROGRAM in the game folder is built with the
# sanitizers, exports their options and sets SANITIZER_PRELOAD for starting it;
# fails (and sets nothing) for a plain build. The GL driver is unloaded before
# the leak check runs, and its allocations would then come from an unknown
# module and escape the suppressions; preloaded (after the sanitizer runtime,
# which must come first) it stays mapped.
SANITIZER_PRELOAD=
sanitizer_setup() {
    local runtime driver repo
    runtime=$(ldd "$GAME_DIR/$1" | awk '/libasan/ { print $3 }')
    [ -n "$runtime" ] || return 1
    repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    export LSAN_OPTIONS=suppressions=$repo/tests/lsan.supp:print_suppressions=0
    SANITIZER_PRELOAD=$runtime
    for driver in /usr/lib/*/dri/swrast_dri.so /usr/lib64/dri/swrast_dri.so /usr/lib/dri/swrast_dri.so; do
        [ -f "$driver" ] && SANITIZER_PRELOAD="$runtime $driver" && break
    done
    return 0
}
