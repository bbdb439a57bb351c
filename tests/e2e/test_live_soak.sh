#!/usr/bin/env bash
# A long run of the probe build under random real input: held keys (W A S D
# Space Home), small mouse motions and left and right clicks, for SOAK_SECONDS
# seconds (default 30). The input comes from bash's generator seeded with
# SOAK_SEED (default 1958), so a failing run can be replayed with the same
# sequence; the game's timing still varies from run to run.
# Checks: the game keeps reporting frames, ends with status 0 on Escape, and
# its memory stops growing once the first third of the run is over. With the
# sanitizer build of the probe the memory figures mean nothing (the sanitizer
# holds freed memory back); there LeakSanitizer's check at exit takes their
# place, along with every other sanitizer report.
# Usage: [SOAK_SECONDS=N] [SOAK_SEED=S] test_live_soak.sh GAME_DIR [WM_CLOSE_TOOL]
source "$(dirname "$0")/lib.sh"
e2e_init "$@"
SANITIZED=0
sanitizer_setup vexelmoor_probe && SANITIZED=1

DURATION=${SOAK_SECONDS:-30}
SEED=${SOAK_SEED:-1958}
RANDOM=$SEED
WARM_UP=$((DURATION / 3))
# What edits may add for good: at most six faces per edit in all (a removal
# opens the faces of its six neighbours, a placement brings its own six), a
# face being 18 positions (2 bytes), 24 colour bytes and 12 texture
# coordinates (4 bytes), 108 bytes; with the allocator's rounding of the up to
# twelve rebuilt arrays, 1 kB per edit.
EDIT_KB=1
# Resident memory rises and falls with the driver's work for the chunks in
# view (most while Home is held from the spawn height, which the run starts
# with): its peak over the first third is the baseline, and no later sample
# may pass it by more than 5 MB plus the edits' share. In quiet runs the later
# samples stayed within 1 MB of each other.
RSS_SLACK_KB=5120
# The allocator's own count (the probe's heap=) is exact but for the driver's
# per-frame buffers, which grow with the chunks drawn: compared on the view
# straight down (few chunks drawn), before and after the random input, it may
# grow by 384 kB plus the edits' share. In quiet runs it grew by 10 kB in 30 s
# and by 137 kB over 600 s with 397 edits; a rebuild that kept its chunk's old
# mesh grew it by over 1 MB in 30 s.
HEAP_SLACK_KB=384

now() { echo "${EPOCHREALTIME/,/.}"; }
elapsed() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }'; }
# heap_looking_down: looks straight down and sets HEAP to the smallest heap=
# over the next ten frames.
heap_looking_down() {
    look_until 'v["pitch"] > 3.1' 0 100
    local from=$(frame_now)
    wait_frames 10
    HEAP=$(lines_between "$from" "$(frame_now)" |
        awk "$AWK_PARSE"' { parse($0); if (!n++ || v["heap"] < m) m = v["heap"] } END { print m + 0 }')
}

KEYS=(w a s d space Home)
declare -A DOWN=()
# toggle INPUT: presses the key or button when it is up, releases it when down.
toggle() {
    local input=$1 verb
    if [ -n "${DOWN[$input]:-}" ]; then
        unset "DOWN[$input]"
        case $input in 1 | 3) verb=mouseup ;; *) verb=keyup ;; esac
    else
        DOWN[$input]=1
        case $input in 1 | 3) verb=mousedown ;; *) verb=keydown ;; esac
    fi
    xdotool "$verb" "$input"
}
release_all() {
    local input
    for input in "${!DOWN[@]}"; do toggle "$input"; done
}

LD_PRELOAD=$SANITIZER_PRELOAD start_game vexelmoor_probe soak
wait_window
wait_until 'v["frame"] >= 1' "the first frame" 60
started=$(now)
echo "# warming up: Home held, then looking down at the ground after landing"
xdotool keydown Home
wait_frames 10
xdotool keyup Home
# Standing, the view straight down also draws the aim's outline.
wait_until 'v["y"] < 2048 && v["vy"] == 0' "the landing" 60
heap_looking_down
heap_early=$HEAP
warm_frame=$(frame_now)
look_until 'v["pitch"] < 2.5' 0 -100

echo "# $DURATION seconds of random input, seed $SEED"
samples_t=() samples_frame=() samples_rss=()
next_sample=0
soak_from=$(now)
while :; do
    t=$(elapsed "$soak_from")
    awk -v t="$t" -v d="$DURATION" 'BEGIN { exit !(t >= d) }' && break
    if awk -v t="$t" -v n="$next_sample" 'BEGIN { exit !(t >= n) }'; then
        game_alive || break
        samples_t+=("$t")
        samples_frame+=("$(frame_now)")
        samples_rss+=("$(resident_kb "$GAME_PID")")
        next_sample=$((next_sample + 1))
    fi
    case $((RANDOM % 10)) in
    0 | 1 | 2) toggle "${KEYS[RANDOM % ${#KEYS[@]}]}" ;;
    3 | 4 | 5 | 6) xdotool mousemove_relative -- $((RANDOM % 81 - 40)) $((RANDOM % 81 - 40)) ;;
    7) toggle 1 ;;
    8) toggle 3 ;;
    9) ;;
    esac
    sleep "0.0$((RANDOM % 8 + 2))"
done
release_all
alive_at_end=0
game_alive && alive_at_end=1
last_frame=$(frame_now)
total=$(elapsed "$started")
check "the game is still running after $DURATION seconds of random input" test "$alive_at_end" -eq 1
heap_looking_down
heap_end=$HEAP
settled_to=$(frame_now)
xdotool key Escape
wait_game_exit 60
check "Escape ends it with status 0 (got $GAME_STATUS)" test "$GAME_STATUS" -eq 0

# The longest stretch between samples without a new frame (stalls of a few
# hundred milliseconds happen when both cores are busy).
stall=$(for i in "${!samples_t[@]}"; do echo "${samples_t[$i]} ${samples_frame[$i]}"; done | awk '
    NR == 1 { t0 = $1; f = $2 }
    $2 > f { if ($1 - t0 > s) s = $1 - t0; t0 = $1; f = $2 }
    { last = $1 }
    END { if (last - t0 > s) s = last - t0; printf "%.1f", s }')
check "frames kept coming: every sample saw new frames within 3 seconds (longest wait ${stall}s)" \
    awk -v s="$stall" -v n="${#samples_t[@]}" -v d="$DURATION" 'BEGIN { exit !(n >= d - 2 && s < 3) }'

removed=$(grep -c ' edit=removed ' "$GAME_LOG")
placed=$(grep -c ' edit=placed ' "$GAME_LOG")
refused=$(grep -c ' edit=refused' "$GAME_LOG")
moved=$(lines_between 1 "$last_frame" | awk "$AWK_PARSE"'
    { parse($0); if (NR > 1 && (v["x"] != x || v["z"] != z)) ++n; x = v["x"]; z = v["z"] }
    END { print n + 0 }')
check "the input reached the game: it walked ($moved frames) and edited ($((removed + placed)) edits)" \
    test "$moved" -gt 0 -a $((removed + placed)) -gt 0

if [ "$SANITIZED" -eq 1 ]; then
    report=$(grep -m1 -E "$SANITIZER_REPORT" "$WORK/soak.err")
    check "no sanitizer report, leaks at exit included${report:+ ($report)}" test -z "$report"
    [ -n "$report" ] && grep -m3 -A4 -E '^(Direct|Indirect) leak|ERROR: AddressSanitizer|runtime error:' \
        "$WORK/soak.err" | grep -v -E 'LeakSanitizer|^--$' | sed 's/^/    /'
else
    read -r rss_base rss_at_split rss_peak rss_end split_frame < <(
        for i in "${!samples_t[@]}"; do echo "${samples_t[$i]} ${samples_frame[$i]} ${samples_rss[$i]}"; done |
            awk -v w="$WARM_UP" '
                $1 < w { if ($3 > base) base = $3; split_frame = $2 }
                $1 >= w && !at { at = $3 }
                { if ($3 > peak) peak = $3; last = $3 }
                END { print base + 0, at + 0, peak + 0, last + 0, split_frame + 0 }')
    late_edits=$(lines_between $((split_frame + 1)) "$settled_to" | grep -c -E ' edit=(removed|placed) ')
    allowed=$((RSS_SLACK_KB + late_edits * EDIT_KB))
    check "resident memory after ${WARM_UP}s stays within ${allowed} kB of its early peak ($rss_base kB)" \
        test "$rss_base" -gt 0 -a $((rss_peak - rss_base)) -le "$allowed"
    edits=$(lines_between "$warm_frame" "$settled_to" | grep -c -E ' edit=(removed|placed) ')
    allowed=$((HEAP_SLACK_KB + edits * EDIT_KB))
    check "the heap looking down grows by at most $allowed kB over the run ($heap_early -> $heap_end kB)" \
        test "$heap_early" -gt 0 -a "$heap_end" -gt 0 -a $((heap_end - heap_early)) -le "$allowed"
fi

fps=$(awk -v f="$last_frame" -v t="$total" 'BEGIN { printf "%.1f", f / t }')
echo "soak: seed $SEED, ${total}s from the first frame to the end of the input," \
    "$last_frame frames, $fps frames/s"
if [ "$SANITIZED" -eq 0 ]; then
    echo "soak: resident memory ${rss_at_split} kB at ${WARM_UP}s (peak until then ${rss_base} kB)," \
        "${rss_end} kB at the end, peak ${rss_peak} kB; heap $heap_early -> $heap_end kB"
    echo "soak: edits: $removed removed, $placed placed, $refused refused; $late_edits after ${WARM_UP}s"
    step=$(((${#samples_t[@]} + 9) / 10))
    echo "soak: resident memory (kB) through the run:" $(for i in "${!samples_t[@]}"; do
        [ $((i % step)) -eq 0 ] && printf '%.0fs:%s ' "${samples_t[$i]}" "${samples_rss[$i]}"
    done)
else
    echo "soak: edits: $removed removed, $placed placed, $refused refused (sanitizer build)"
fi
e2e_finish
