#!/usr/bin/env bash
# The frame rate of a game folder against an earlier commit's game, measured
# in one session: the earlier commit's probe is built once into
# build/frame-rate-base/COMMIT, then bench/frame_rate.sh runs the two in turn,
# RUNS times each, and prints for each view the median over the runs of the
# frames per second and of the median draw time, with the load average seen
# before each run (other work on the machine slows the software renderer).
# Usage: frame_rate_versus.sh GAME_DIR BASE_COMMIT [RUNS] [SECONDS_PER_VIEW]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
new=$(cd "${1:?game folder}" && pwd)
commit=$(git -C "$here" rev-parse --short "${2:?base commit}")
runs=${3:-3}
seconds=${4:-5}
base=$here/build/frame-rate-base/$commit
if [ ! -x "$base/build/game/vexelmoor_probe" ]; then
  rm -rf "$base"
  mkdir -p "$base/src"
  git -C "$here" archive "$commit" | tar -x -C "$base/src"
  nice -n 10 cmake -S "$base/src" -B "$base/build" -DCMAKE_BUILD_TYPE=Release -DVEX_TESTS=ON -DVEX_BENCH=OFF \
    >/dev/null
  nice -n 10 cmake --build "$base/build" --target vexelmoor_probe -j2 >/dev/null
fi

lines=$(mktemp)
trap 'rm -f "$lines"' EXIT
for run in $(seq "$runs"); do
  for side in base new; do
    dir=$new
    [ "$side" = base ] && dir=$base/build/game
    echo "run $run, $side: load average $(cut -d' ' -f1-3 /proc/loadavg)"
    bash "$here/bench/frame_rate.sh" "$dir" "$seconds" | grep ' fps ' | sed "s/^/$side|/" | tee -a "$lines" |
      sed 's/^[a-z]*|/  /'
  done
done

# Lines read "side|VIEW (28 wide)  F fps  logic L us  draw D us ...".
awk -F'|' '
  function median(list,   n, a, i, j, t) { n = split(list, a, " ")
    for (i = 1; i <= n; ++i) for (j = i + 1; j <= n; ++j) if (a[j] + 0 < a[i] + 0) { t = a[i]; a[i] = a[j]; a[j] = t }
    return a[int((n + 1) / 2)] }
  { view = substr($2, 1, 28); sub(/ +$/, "", view); rest = substr($2, 29); split(rest, f, " ")
    for (i = 1; i in f; ++i) { if (f[i] == "fps") fps = f[i - 1]; if (f[i] == "draw") draw = f[i + 1] }
    if (!(view in seen)) { seen[view] = 1; order[++views] = view }
    F[$1, view] = F[$1, view] " " fps; D[$1, view] = D[$1, view] " " draw }
  END { printf "%-28s %10s %10s %12s %12s\n", "view (medians)", "fps base", "fps new", "draw base", "draw new"
        for (v = 1; v <= views; ++v) { view = order[v]
          printf "%-28s %10.1f %10.1f %9d us %9d us\n", view, median(F["base", view]), median(F["new", view]),
                 median(D["base", view]), median(D["new", view]) } }' "$lines"
