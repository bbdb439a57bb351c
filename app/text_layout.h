#pragma once
// Where each character of an overlay line is cut from the font sheet and where
// it lands on screen. The sheet is a 16-column grid of 8 x 12-pixel cells from
// character 32, on a 128 x 128 texture.

constexpr int GLYPH_WIDTH = 8;
constexpr int GLYPH_HEIGHT = 12;
constexpr float GLYPH_TEX_WIDTH = 0.0625f;    // 8 / 128
constexpr float GLYPH_TEX_HEIGHT = 0.09375f;  // 12 / 128

struct GlyphQuad {
    float u, v;  // top-left of the glyph cell in texture space
    int x, y;    // top-left on screen, y growing downwards
};

// Any byte is a glyph: bytes outside 32..127 address cells beyond the grid,
// which the texture's repeat wrap folds back onto the sheet.
GlyphQuad glyphQuad(unsigned char c, int penX, int y);
