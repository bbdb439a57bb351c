#include "app/text_layout.h"

GlyphQuad glyphQuad(unsigned char c, int penX, int y) {
    const int k = static_cast<int>(c) - 32;
    const int column = k % 16;  // truncating: bytes below 32 give negative cells
    const int row = k / 16;
    return {static_cast<float>(column) * GLYPH_TEX_WIDTH, static_cast<float>(row) * GLYPH_TEX_HEIGHT, penX,
            y};
}
