#include "app/overlay_draw.h"

#include <GL/gl.h>

#include <string>

#include "app/overlay_text.h"
#include "app/text_layout.h"
#include "render/world_draw.h"

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

void drawOverlay(const Texture& font, std::int32_t shownFps, Vec3f feet, unsigned width, unsigned height) {
    glDisable(GL_DEPTH_TEST);
    // Pixel units from the top-left corner, y growing downwards.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glScalef(1, -1, 1);
    glTranslatef(0, -static_cast<float>(height), 0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glBindTexture(GL_TEXTURE_2D, font.glName);
    setMeshArrays(false);

    const OverlayText text = overlayText(shownFps, feet.x, feet.y, feet.z);
    for (int i = 0; i < OVERLAY_LINES; ++i) {
        const char* line = text.lines[i];
        drawText(line, std::char_traits<char>::length(line), OVERLAY_LEFT,
                 static_cast<std::int16_t>(text.top[i]), 0, 0, 0);
    }

    setMeshArrays(true);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
