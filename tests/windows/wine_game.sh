#!/usr/bin/env bash
# The command the end-to-end scripts start the Windows build with (their
# E2E_RUNNER), in the Wine prefix named by WINEPREFIX:
#   wine_game.sh ./PROGRAM.exe   runs the program in the current folder
#   wine_game.sh --prepare       makes the prefix, unless it is made already
#   wine_game.sh --stop          ends the prefix's Wine server and programs
set -euo pipefail
: "${WINEPREFIX:?the Wine prefix to run in}"
export WINEPREFIX WINEDEBUG=-all PATH=/usr/lib/wine:$PATH
case "${1:?program}" in
  --prepare)
    [ -f "$WINEPREFIX/system.reg" ] && exit 0
    # No browser or .NET engines: the game needs neither, and their set-up
    # would ask to download them.
    WINEDLLOVERRIDES='mscoree,mshtml=' wine64 wineboot -i
    wineserver -w ;;
  --stop) wineserver -k 2>/dev/null || true ;;
  *) exec wine64 "$@" ;;
esac
