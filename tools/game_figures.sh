# Figures of the game that the scripts need, read from the headers the game is
# built from, so that a change there reaches every script. Source this file.
#   tuning NAME     a tuning value of player/tuning.h (PLAYER_WALK_STEP, ...)
#   OVERLAY_TOPS    the overlay lines' tops, in pixels ("8 22 36 48")
#   OVERLAY_LEFT    where the lines start, in pixels from the left
#   GLYPH_WIDTH, GLYPH_HEIGHT   a character's cell, in pixels
#   OVERLAY_BOTTOM  the first row below the overlay's last line
#   BELOW_OVERLAY   the 640 x 480 picture below that row, as WxH+X+Y
# A figure that cannot be read (its line changed shape) ends the script.

VEX_SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

tuning() { sed -n "s/^constexpr [a-z]* $1 = \([0-9.]*\)f\?;.*/\1/p" "$VEX_SOURCE_DIR/player/tuning.h"; }

vex_header_figure() {  # vex_header_figure VARIABLE NAME HEADER [PATTERN]
  local value
  value=$(sed -n "s/^constexpr int $2 = \(${4:-[0-9]*}\);.*/\1/p" "$VEX_SOURCE_DIR/$3" | tr -d '{},')
  if [ -z "$value" ]; then
    echo "tools/game_figures.sh: cannot read $2 from $3" >&2
    exit 1
  fi
  printf -v "$1" '%s' "$value"
}
vex_header_figure OVERLAY_TOPS 'OVERLAY_LINE_TOPS\[OVERLAY_LINES\]' app/overlay_text.h '{[0-9, ]*}'
vex_header_figure OVERLAY_LEFT OVERLAY_LEFT app/overlay_text.h
vex_header_figure GLYPH_WIDTH GLYPH_WIDTH app/text_layout.h
vex_header_figure GLYPH_HEIGHT GLYPH_HEIGHT app/text_layout.h
OVERLAY_BOTTOM=$((${OVERLAY_TOPS##* } + GLYPH_HEIGHT))
BELOW_OVERLAY=640x$((480 - OVERLAY_BOTTOM))+0+$OVERLAY_BOTTOM
