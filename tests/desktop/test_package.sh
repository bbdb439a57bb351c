#!/usr/bin/env bash
# The Debian package as a player gets it: built with cpack, accepted by lintian
# and the desktop and AppStream validators, depending on a package for every
# library the program loads, and, unpacked anywhere, started by its launcher
# from another folder, drawing the terrain with its own images.
# Usage: test_package.sh BUILD_DIR (a built Release folder)
source "$(dirname "$0")/../e2e/lib.sh"
BUILD_DIR=$(cd "${1:?build folder}" && pwd)
e2e_init "$BUILD_DIR/game"

echo "# building and checking the package"
cpack -G DEB --config "$BUILD_DIR/CPackConfig.cmake" -B "$WORK/pkg" >"$WORK/cpack.log" 2>&1 ||
    fail_now "cpack failed: $(tail -n 5 "$WORK/cpack.log")"
debs=("$WORK"/pkg/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail_now "cpack made no single package: ${debs[*]}"
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
check "the file is named vexelmoor_<version>_<arch>.deb (got $(basename "$deb"))" \
    test "$(basename "$deb")" = "vexelmoor_${version}_$(dpkg --print-architecture).deb"
lintian --fail-on error,warning "$deb" >"$WORK/lintian.log" 2>&1
status=$?
sed 's/^/    lintian: /' "$WORK/lintian.log" | grep -v 'root privileges'
check "lintian reports no error and no warning (status $status)" test "$status" -eq 0

root=$WORK/root
dpkg-deb -x "$deb" "$root" || fail_now "dpkg-deb -x failed"
check "desktop-file-validate accepts the desktop entry" \
    desktop-file-validate "$root/usr/share/applications/vexelmoor.desktop"
check "the desktop entry is a game with the packaged icon" \
    bash -c 'grep -q "^Categories=Game;" "$1" && grep -qx "Icon=vexelmoor" "$1"' _ \
    "$root/usr/share/applications/vexelmoor.desktop"
metainfo=("$root"/usr/share/metainfo/*.metainfo.xml)
check "appstreamcli validate accepts the AppStream metadata" \
    appstreamcli validate --no-net "${metainfo[0]}"
for size in 48 128 256; do
    icon=$root/usr/share/icons/hicolor/${size}x$size/apps/vexelmoor.png
    check "the icon for ${size}x$size is that size" test "$("$CONVERT" "$icon" -format %wx%h info:)" = "${size}x$size"
done

# Every library the program loads must come with a package in Depends.
program=$root/usr/lib/games/vexelmoor/vexelmoor
depends=$(dpkg-deb -f "$deb" Depends)
echo "    Depends: $depends"
mapfile -t needed < <(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
# Where the loader finds each one, under both names of a merged /usr.
mapfile -t paths < <(ldd "$program" | awk 'NR == FNR { want[$1] = 1; next }
    ($1 in want) && $2 == "=>" { p = $3; print p; if (sub(/^\/usr/, "", p)) print p; else print "/usr" p }' \
    <(printf '%s\n' "${needed[@]}") -)
owned=$(dpkg -S "${paths[@]}" 2>/dev/null)
unowned=()
for lib in "${needed[@]}"; do grep -q "/$lib\$" <<<"$owned" || unowned+=("$lib"); done
check "each of the ${#needed[@]} libraries the program needs comes from an installed package (not: ${unowned[*]:-none})" \
    test "${#needed[@]}" -gt 0 -a "${#unowned[@]}" -eq 0
mapfile -t owners < <(cut -d: -f1 <<<"$owned" | tr -d ' ' | tr ',' '\n' | sort -u)
depends_names=$(tr ',|' '\n\n' <<<"$depends" | awk '{ print $1 }')
missing=()
for pkg in "${owners[@]}"; do
    grep -qxF "$pkg" <<<"$depends_names" || missing+=("$pkg")
done
check "Depends names the package of every needed library (${owners[*]}; missing: ${missing[*]:-none})" \
    test "${#owners[@]}" -gt 0 -a "${#missing[@]}" -eq 0

echo "# the unpacked launcher, started from another folder"
mkdir "$WORK/elsewhere"
nodisplay_line="vexelmoor: cannot open a window: no X display is available (is DISPLAY set?)"
(cd "$WORK/elsewhere" && exec env -u DISPLAY "$root/usr/games/vexelmoor") >"$WORK/nodisplay.out" 2>"$WORK/nodisplay.err"
status=$?
check "without a display it exits with status 1 (got $status), printing one line on stderr" \
    test "$status" -eq 1 -a "$(cat "$WORK/nodisplay.err")" = "$nodisplay_line"
check "the manual page quotes that line" \
    bash -c 'zcat "$1" | grep -qF "$2"' _ "$root/usr/share/man/man6/vexelmoor.6.gz" "$nodisplay_line"

GAME_LOG=$WORK/game.out
(cd "$WORK/elsewhere" && exec "$root/usr/games/vexelmoor") >"$GAME_LOG" 2>"$WORK/game.err" &
GAME_PID=$!
wait_window
# Holding Home turns the camera toward the world's origin corner: the terrain
# fills the lower half, in the atlas's grass greens. Sky is white, and terrain
# drawn without the atlas is shades of grey: neither is green on average.
lower_half_rgb() { "$CONVERT" "$1" -crop 640x240+0+240 +repage -format '%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]' info:; }
terrain_drawn() {
    local shot
    shot=$(screenshot terrain) && awk -v rgb="$(lower_half_rgb "$shot")" \
        'BEGIN { split(rgb, c, " "); exit !(c[2] > c[1] + 0.1 && c[2] > c[3] + 0.1) }'
}
xdotool keydown Home
drawn=no
for i in $(seq 50); do
    terrain_drawn && drawn=yes && break
    game_alive || break
    sleep 0.2
done
xdotool keyup Home
check "the game draws the textured terrain (mean red, green, blue of the lower half: $(lower_half_rgb "$WORK/terrain.png"))" \
    test "$drawn" = yes
xdotool key Escape
wait_game_exit 10
check "Escape ends it with status 0 (got $GAME_STATUS)" test "$GAME_STATUS" -eq 0
# Read once the game has ended: the window shows before the images load, and
# the lines reach a file only when the game's output is flushed.
check "it loads both images from the package" \
    test "$(cat "$GAME_LOG")" = "$(printf 'Successfully loaded texture.png\nSuccessfully loaded fonta.png')"

e2e_finish
