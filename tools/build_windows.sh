#!/usr/bin/env bash
# Cross-builds the game for 64-bit Windows with MinGW-w64 and packs the zip a
# player unpacks: BUILD/vexelmoor-<version>-win64.zip. SFML's window and
# system modules are built from Debian's source package, once, into
# BUILD/sfml (kept, so a rebuild of the game does not redo them).
# Usage: tools/build_windows.sh BUILD NATIVE_GAME_DIR
#   NATIVE_GAME_DIR: a native build's game folder, for the two images.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${1:?build folder}" && cd "$1" && pwd)
native_game=$(cd "${2:?the game folder of a native build}" && pwd)
jobs=$(nproc)
toolchain=$repo/tools/mingw-w64.cmake
sfml=$build/sfml

# Debian's source of SFML through a source list of our own: the machine's
# lists (binary packages only, most of the time) stay as they are.
fetch_sfml_source() {
  local apt=$sfml/apt uris suite
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$sfml/download"
  uris=$(awk '/^URIs:/ { print $2; exit }' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
  suite=$(awk '/^Suites:/ { print $2; exit }' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
  echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] ${uris:-http://deb.debian.org/debian}" \
    "${suite:-bookworm} main" >"$apt/sources.list"
  local options=(-o "Dir::Etc::SourceList=$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
    -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -qq)
  apt-get "${options[@]}" update
  (cd "$sfml/download" && apt-get "${options[@]}" source --download-only libsfml 2>/dev/null)
  local tarball
  tarball=$(ls "$sfml"/download/libsfml_*.orig.tar.* | head -n1)
  rm -rf "$sfml/src" && mkdir -p "$sfml/src"
  tar -xf "$tarball" -C "$sfml/src" --strip-components=1
}

if [ ! -f "$sfml/build/lib/libsfml-window-s.a" ]; then
  echo "Building SFML's window and system modules for Windows (once)"
  [ -f "$sfml/src/CMakeLists.txt" ] || fetch_sfml_source
  cmake -S "$sfml/src" -B "$sfml/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=OFF -DSFML_BUILD_GRAPHICS=OFF -DSFML_BUILD_AUDIO=OFF -DSFML_BUILD_NETWORK=OFF \
    >"$sfml/configure.log"
  cmake --build "$sfml/build" -j"$jobs" >"$sfml/build.log"
fi

# The game, its probe (the same frame loop reporting each frame, for the
# end-to-end scripts under Wine) and worldstats (the world it builds).
cmake -S "$repo" -B "$build/game-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DSFML_DIR="$sfml/build" -DVEX_NATIVE_GAME_DIR="$native_game" -DVEX_TESTS=ON -DVEX_BENCH=OFF >/dev/null
cmake --build "$build/game-build" --target vexelmoor vexelmoor_probe worldstats -j"$jobs" >/dev/null
(cd "$build/game-build" && cpack -G ZIP >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/game-build/CMakeCache.txt")
zip=$build/vexelmoor-$version-win64.zip
mv "$build/game-build/vexelmoor-$version-win64.zip" "$zip"
echo "$zip"
