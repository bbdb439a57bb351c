#include "app/text_draw.h"

#include <GL/gl.h>

#include "app/text_layout.h"

void drawText(const char* text, std::size_t length, std::int16_t x, std::int16_t y, std::uint8_t red,
              std::uint8_t green, std::uint8_t blue) {
    const float r = red / 255.0f, g = green / 255.0f, b = blue / 255.0f;
    for (std::size_t i = 0; i < length; ++i) {
        const GlyphQuad q =
            glyphQuad(static_cast<unsigned char>(text[i]), x + GLYPH_WIDTH * static_cast<int>(i), y);
        // Top-left, bottom-left, bottom-right, top-right: counter-clockwise on a
        // y-down screen, so the quad survives back-face culling.
        glBegin(GL_QUADS);
        glColor3f(r, g, b);
        glTexCoord2f(q.u, q.v);
        glVertex2i(q.x, q.y);
        glTexCoord2f(q.u, q.v + GLYPH_TEX_HEIGHT);
        glVertex2i(q.x, q.y + GLYPH_HEIGHT);
        glTexCoord2f(q.u + GLYPH_TEX_WIDTH, q.v + GLYPH_TEX_HEIGHT);
        glVertex2i(q.x + GLYPH_WIDTH, q.y + GLYPH_HEIGHT);
        glTexCoord2f(q.u + GLYPH_TEX_WIDTH, q.v);
        glVertex2i(q.x + GLYPH_WIDTH, q.y);
        glEnd();
    }
}
