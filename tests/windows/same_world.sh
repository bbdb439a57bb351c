#!/usr/bin/env bash
# The Windows build's world against this build's: worldstats run natively and
# under Wine must print the same faces, sizes, chunk counts and mesh checksum.
# Usage: same_world.sh NATIVE_WORLDSTATS WINDOWS_WORLDSTATS_EXE (WINEPREFIX set)
set -uo pipefail
figures() { grep -E '^(mesh|chunks)\.' | tr -d '\r'; }
native=$("$1" | figures)
windows=$("$(dirname "$0")/wine_game.sh" "$2" 2>/dev/null | figures)
"$(dirname "$0")/wine_game.sh" --stop
echo "$windows"
if [ -n "$native" ] && [ "$native" = "$windows" ]; then
  echo "ok   - the Windows build makes the same world"
  echo "1 checks, 0 failed"
  exit 0
fi
diff <(echo "$native") <(echo "$windows")
echo "FAIL - the Windows build's world differs"
echo "1 checks, 1 failed"
exit 1
