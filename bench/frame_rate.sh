#!/usr/bin/env bash
# Frames per second of the real game under Xvfb in three views (after landing
# looking down at the terrain, a level view across the world, and walking),
# with the median time per frame of the game's own logic and of handing the
# world and overlay to GL. Uses the probe build, which prints one line per frame.
# Usage: frame_rate.sh GAME_DIR [SECONDS_PER_VIEW]
set -uo pipefail
game_dir=$(cd "${1:?game folder}" && pwd)
seconds=${2:-5}

source "$(dirname "$0")/../tools/xvfb.sh"
vex_xvfb_session

log=$VEX_WORK/probe.log
(cd "$game_dir" && exec ./vexelmoor_probe >"$log" 2>/dev/null) &
VEX_GAME_PID=$!

value() {  # value KEY: from the newest complete line
  tail -n 3 "$log" | grep ' end$' | tail -n1 | tr ' ' '\n' | sed -n "s/^$1=//p"
}
frame() { local f; f=$(value frame); echo "${f:-0}"; }
# wait_for CONDITION...: polls for up to 30 s while the game runs.
wait_for() {
  local i
  for i in $(seq 1500); do
    "$@" && return 0
    kill -0 "$VEX_GAME_PID" 2>/dev/null || { echo "The game ended early." >&2; exit 1; }
    sleep 0.02
  done
  echo "Timed out waiting for: $*" >&2
  exit 1
}
reached() { [ "$(frame)" -ge "$1" ]; }
landed() { [ "$(value vel)" = "0.000,0.000,0.000" ] && [ "$(frame)" -gt 30 ]; }
wait_frame() { wait_for reached "$1"; }
wait_for landed

look() {  # look DY STEPS: small moves, each consumed before the next
  local i f
  for i in $(seq "$2"); do
    f=$(frame); xdotool mousemove_relative -- 0 "$1"; wait_frame $((f + 2))
  done
}

measure() {  # measure NAME: frames per second and medians over the next SECONDS
  local first last start end
  wait_frame $(($(frame) + 60))  # let the view settle (the renderer's first frames of a view are slower)
  first=$(frame); start=$(date +%s.%N)
  sleep "$seconds"
  last=$(frame); end=$(date +%s.%N)
  awk -v a="$first" -v b="$last" -v name="$1" -v s="$start" -v e="$end" '
    / end$/ { split($1, f, "="); n = f[2] + 0; if (n <= a || n > b) next
              ++c
              for (i = 2; i <= NF; ++i) { split($i, kv, "="); if (kv[1] == "logic_us") logic[c] = kv[2] + 0
                                          if (kv[1] == "draw_us") draw[c] = kv[2] + 0; if (kv[1] == "drawn") drawn[c] = kv[2] + 0 } }
    function median(arr, count,   i, j, t) { for (i = 1; i <= count; ++i) for (j = i + 1; j <= count; ++j)
                                               if (arr[j] < arr[i]) { t = arr[i]; arr[i] = arr[j]; arr[j] = t }
                                             return arr[int((count + 1) / 2)] }
    END { printf "%-28s %6.1f fps  logic %5d us  draw %6d us  chunks drawn %d  (%d frames)\n",
                 name, (b - a) / (e - s), median(logic, c), median(draw, c), median(drawn, c), c }' "$log"
}

look 40 24                       # from straight up to looking down at the ground ahead
measure "after landing, looking down"
look -40 4                       # up to about level
measure "level view"
xdotool keydown w
measure "walking"
xdotool keyup w
