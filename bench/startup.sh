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

work=$(mktemp -d)
source "$(dirname "$0")/../tools/xvfb.sh"
xvfb_pid=
game_pid=
cleanup() {
  set +e
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null && wait "$game_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
vex_start_xvfb || { echo "Xvfb did not start." >&2; exit 1; }
xvfb_pid=$VEX_XVFB_PID

median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

for run in $(seq "$runs"); do
  log=$work/probe-$run.log
  start=$EPOCHREALTIME
  (cd "$game_dir" && exec ./vexelmoor_probe >"$log" 2>/dev/null) &
  game_pid=$!
  for _ in $(seq 15000); do
    grep -q '^frame=1 ' "$log" 2>/dev/null && break
    kill -0 "$game_pid" 2>/dev/null || { echo "The game ended before its first frame." >&2; exit 1; }
    sleep 0.002
  done
  grep -q '^frame=1 ' "$log" || { echo "No first frame after waiting about half a minute." >&2; exit 1; }
  first=$EPOCHREALTIME
  awk -v a="${start/,/.}" -v b="${first/,/.}" 'BEGIN { printf "%.1f\n", (b - a) * 1000 }' >>"$work/startup"
  sleep 3  # the fall and a few seconds of drawing
  awk '/^VmHWM:/ { print $2 }' "/proc/$game_pid/status" >>"$work/peak"
  kill "$game_pid"; wait "$game_pid" 2>/dev/null
  game_pid=
  "$build_dir/worldstats" | awk '/^time.total_ms:/ { print $2 }' >>"$work/construction"
done

startup=$(median <"$work/startup")
construction=$(median <"$work/construction")
echo "launch to first frame: median $startup ms over $runs runs ($(sort -n "$work/startup" | tr '\n' ' '))"
echo "world construction alone (worldstats, same runs): median $construction ms;" \
  "start-up is $(awk -v s="$startup" -v c="$construction" 'BEGIN { printf "%.2f", s / c }')x that"
echo "peak resident memory after 3 s: median $(median <"$work/peak") kB"
