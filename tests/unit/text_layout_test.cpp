// Glyph cells on the font sheet for every byte.

#include "app/text_layout.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(TextLayout, PrintableCharactersFindTheirSheetCell) {
    struct Case {
        unsigned char c;
        float u, v;
    } cases[] = {
        {' ', 0, 0},               // first cell
        {'/', 0.9375f, 0},         // 47: end of the first row
        {'0', 0, 0.09375f},        // 48: second row
        {'A', 0.0625f, 0.1875f},   // 65: row 2, column 1
        {'~', 0.875f, 0.46875f},   // 126: row 5, column 14
        {127, 0.9375f, 0.46875f},  // last cell of the six rows
    };
    for (const Case& c : cases) {
        const GlyphQuad q = glyphQuad(c.c, 37, -5);
        EXPECT_EQ(q.u, c.u) << int(c.c);
        EXPECT_EQ(q.v, c.v) << int(c.c);
        EXPECT_EQ(q.x, 37);
        EXPECT_EQ(q.y, -5);
    }
}

TEST(TextLayout, EveryByteGivesACellThatWrapsOntoTheSheet) {
    // Bytes outside 32..127 address cells off the grid with truncating
    // division; the repeat wrap brings them back. Each must still be a whole
    // cell: u a multiple of 1/16 within one sheet width, v of 12/128.
    EXPECT_EQ(glyphQuad(31, 0, 0).u, -0.0625f);  // k = -1: column -1, row 0
    EXPECT_EQ(glyphQuad(31, 0, 0).v, 0.0f);
    EXPECT_EQ(glyphQuad(0, 0, 0).u, 0.0f);  // k = -32: column 0, row -2
    EXPECT_EQ(glyphQuad(0, 0, 0).v, -0.1875f);
    EXPECT_EQ(glyphQuad(128, 0, 0).v, 0.5625f);  // row 6
    EXPECT_EQ(glyphQuad(255, 0, 0).u, 0.9375f);  // k = 223: column 15, row 13
    EXPECT_EQ(glyphQuad(255, 0, 0).v, 1.21875f);
    for (int c = 0; c < 256; ++c) {
        const GlyphQuad q = glyphQuad(static_cast<unsigned char>(c), 8 * c, 3);
        ASSERT_TRUE(std::isfinite(q.u) && std::isfinite(q.v)) << c;
        EXPECT_GT(q.u, -1.0f) << c;
        EXPECT_LT(q.u, 1.0f) << c;
        const float column = q.u / GLYPH_TEX_WIDTH, row = q.v / GLYPH_TEX_HEIGHT;
        EXPECT_EQ(column, std::round(column)) << c;
        EXPECT_EQ(row, std::round(row)) << c;
        EXPECT_EQ(q.x, 8 * c);
    }
}

}  // namespace
