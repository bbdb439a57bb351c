#!/usr/bin/env bash
# Lays out the Windows build for the end-to-end scripts under Wine: the zip a
# player gets, unpacked into DIR/game with the probe build beside the game,
# and a Wine prefix in DIR/prefix (made once, kept).
# Usage: prepare.sh ZIP PROBE_EXE DIR
set -euo pipefail
zip=${1:?the Windows zip}
probe=${2:?the Windows probe}
dir=$(mkdir -p "${3:?a folder}" && cd "$3" && pwd)
rm -rf "$dir/game" "$dir"/vexelmoor-*-win64
unzip -q "$zip" -d "$dir" && mv "$dir"/vexelmoor-*-win64 "$dir/game" && cp "$probe" "$dir/game/"
WINEPREFIX=$dir/prefix "$(dirname "$0")/wine_game.sh" --prepare >"$dir/prefix.log" 2>&1
