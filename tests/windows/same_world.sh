#!/usr/bin/env bash
# The Windows build's world against this build's: worldstats run natively and
# under Wine must print the same faces, sizes, chunk counts and mesh checksum.
# Usage: same_world.sh NATIVE_WORLDSTATS WINDOWS_WORLDSTATS_EXE (WINEPREFIX set)
figures() { grep -E '^(mesh|chunks)\.' | tr -d '\r'; }
native=$("$1" | figures)
windows=$("$(dirname "$0")/wine_game.sh" "$2" 2>/dev/null | figures)
"$(dirname "$0")/wine_game.sh" --stop
if [ -n "$native" ] && diff <(echo "$native") <(echo "$windows"); then
  echo "ok   - the Windows build makes the same world ($(grep fnv1a64 <<<"$windows"))" && exit 0
fi
echo "FAIL - the Windows build's world differs" && exit 1
