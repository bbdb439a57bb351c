#!/usr/bin/env bash
# Start-up time of the real game under Xvfb: from launching the probe build to
# its first frame's report, over several runs, with its resident memory peak
# (VmHWM) after a few seconds of play; beside it, in the same run, what
# building the world alone costs (worldstats), the bulk of the start-up.
# Usage: startup.sh BUILD_DIR [RUNS]
set -uo pipefail
build_dir=$(cd "${1:?build folder}" && pwd)
runs=${2:-9}
game_dir=$build_dir/game

source "$(dirname "$0")/../tools/xvfb.sh"
vex_xvfb_session

median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

for run in $(seq "$runs"); do
  log=$VEX_WORK/probe-$run.log
  start=$EPOCHREALTIME
  (cd "$game_dir" && exec ./vexelmoor_probe >"$log" 2>/dev/null) &
  VEX_GAME_PID=$!
  for _ in $(seq 15000); do
    grep -q '^frame=1 ' "$log" 2>/dev/null && break
    kill -0 "$VEX_GAME_PID" 2>/dev/null || { echo "The game ended before its first frame." >&2; exit 1; }
    sleep 0.002
  done
  grep -q '^frame=1 ' "$log" || { echo "No first frame after waiting about half a minute." >&2; exit 1; }
  first=$EPOCHREALTIME
  awk -v a="${start/,/.}" -v b="${first/,/.}" 'BEGIN { printf "%.1f\n", (b - a) * 1000 }' >>"$VEX_WORK/startup"
  sleep 3  # the fall and a few seconds of drawing
  awk '/^VmHWM:/ { print $2 }' "/proc/$VEX_GAME_PID/status" >>"$VEX_WORK/peak"
  kill "$VEX_GAME_PID"; wait "$VEX_GAME_PID" 2>/dev/null
  VEX_GAME_PID=
  "$build_dir/worldstats" | awk '/^time.total_ms:/ { print $2 }' >>"$VEX_WORK/construction"
done

startup=$(median <"$VEX_WORK/startup")
construction=$(median <"$VEX_WORK/construction")
echo "launch to first frame: median $startup ms over $runs runs ($(sort -n "$VEX_WORK/startup" | tr '\n' ' '))"
echo "world construction alone (worldstats, same runs): median $construction ms;" \
  "start-up is $(awk -v s="$startup" -v c="$construction" 'BEGIN { printf "%.2f", s / c }')x that"
echo "peak resident memory after 3 s: median $(median <"$VEX_WORK/peak") kB"
