#!/usr/bin/env bash
# Frames per second of the real game under Xvfb in three views at the start
# (after landing looking down at the terrain, a level view, and walking) and in
# five level views across the world (from a quarter point across the centre
# and along an axis, from the centre, from the west edge looking in), with the
# median time per frame of the game's own logic and of handing the world and
# overlay to GL. Uses the probe build, which prints one line per frame.
# Usage: frame_rate.sh GAME_DIR [SECONDS_PER_VIEW]
source "$(dirname "$0")/../tests/e2e/lib.sh"
e2e_init "${1:?game folder}"
seconds=${2:-5}

start_game vexelmoor_probe frame_rate
wait_until 'v["frame"] > 30 && v["vy"] == 0' "the landing"

measure() {  # measure NAME: frames per second and medians over the next SECONDS
  local first last start end
  wait_frames 60  # let the view settle (the renderer's first frames of a view are slower)
  first=$(frame_now); start=$(date +%s.%N)
  sleep "$seconds"
  last=$(frame_now); end=$(date +%s.%N)
  awk -v a="$first" -v b="$last" -v name="$1" -v s="$start" -v e="$end" '
    / end$/ { split($1, f, "="); n = f[2] + 0; if (n <= a || n > b) next
              ++c
              for (i = 2; i <= NF; ++i) { split($i, kv, "="); if (kv[1] == "logic_us") logic[c] = kv[2] + 0
                                          if (kv[1] == "draw_us") draw[c] = kv[2] + 0; if (kv[1] == "drawn") drawn[c] = kv[2] + 0 } }
    function median(arr, count,   i, j, t) { for (i = 1; i <= count; ++i) for (j = i + 1; j <= count; ++j)
                                               if (arr[j] < arr[i]) { t = arr[i]; arr[i] = arr[j]; arr[j] = t }
                                             return arr[int((count + 1) / 2)] }
    END { printf "%-28s %6.1f fps  logic %5d us  draw %6d us  chunks drawn %d  (%d frames)\n",
                 name, (b - a) / (e - s), median(logic, c), median(draw, c), median(drawn, c), c }' "$GAME_LOG"
}

look_until 'v["pitch"] > 1.9' 0 40   # from straight up to looking down at the ground ahead
measure "after landing, looking down"
look_until 'v["pitch"] < 1.61' 0 -40 # up to about level
measure "level view"
xdotool keydown w
measure "walking"
xdotool keyup w
xdotool key Escape
wait_game_exit

# across NAME X Z YAW: dropped at (X, Z) looking level along YAW, once landed.
across() {
  PROBE_START="$2,2048,$3,$4,1.5708" start_game vexelmoor_probe frame_rate
  wait_until 'v["frame"] > 30 && v["vy"] == 0' "the landing" 60
  measure "$1"
  xdotool key Escape
  wait_game_exit
}
across "quarter point, across centre" 6144 6144 -2.356
across "quarter point, diagonal" 2048 2048 0.78
across "quarter point, along x" 2048 2048 0
across "centre, diagonal" 4096 4096 0.78
across "west edge, looking in" 512 4096 0
