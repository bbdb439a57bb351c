# A private virtual X server for the game, shared by the tour, the bench
# scripts and the end-to-end tests. Source this file, then:
#   vex_start_xvfb [ERROR_LOG [SERVER_OPTIONS...]]
#                                starts it, exports DISPLAY, sets VEX_XVFB_PID;
#                                returns 1 (and stops it) when it does
#                                not come up.
# A 1280 x 1024 screen at depth 24 unless other options are given.

vex_start_xvfb() {
  local log=${1:-/dev/null} displayfile i options=("${@:2}")
  [ ${#options[@]} -gt 0 ] || options=(-screen 0 1280x1024x24)
  displayfile=$(mktemp)
  Xvfb -displayfd 3 "${options[@]}" -nolisten tcp -noreset 3>"$displayfile" >/dev/null 2>"$log" &
  VEX_XVFB_PID=$!
  for i in $(seq 200); do
    [ -s "$displayfile" ] && break
    sleep 0.025
  done
  if [ ! -s "$displayfile" ]; then
    # Not left behind: the caller gives up on a server that did not come up.
    kill "$VEX_XVFB_PID" 2>/dev/null
    wait "$VEX_XVFB_PID" 2>/dev/null
    VEX_XVFB_PID=
    rm -f "$displayfile"
    return 1
  fi
  export DISPLAY=:$(head -n1 "$displayfile")
  rm -f "$displayfile"
}

# vex_xvfb_session: for scripts that run one game at a time: makes VEX_WORK
# (a temporary folder) and starts the server; when the script exits, stops the
# game in VEX_GAME_PID and the server and removes the folder. Exits the script
# when the server does not start.
vex_xvfb_session() {
  VEX_WORK=$(mktemp -d)
  VEX_GAME_PID=
  trap vex_end_xvfb_session EXIT
  vex_start_xvfb || { echo "Xvfb did not start." >&2; exit 1; }
}

vex_end_xvfb_session() {
  set +e
  if [ -n "${VEX_GAME_PID:-}" ]; then kill "$VEX_GAME_PID" 2>/dev/null; wait "$VEX_GAME_PID" 2>/dev/null; fi
  if [ -n "${VEX_XVFB_PID:-}" ]; then kill "$VEX_XVFB_PID" 2>/dev/null; wait "$VEX_XVFB_PID" 2>/dev/null; fi
  rm -rf "$VEX_WORK"
}
