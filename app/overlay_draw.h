#pragma once
// Draws the overlay's lines in the bitmap font, over the 3D view.

#include <cstddef>
#include <cstdint>

#include "app/texture.h"
#include "player/player.h"

// The four lines of overlayText at the window's top-left, in pixels whatever
// the window's size. Afterwards both matrices are as before, and the depth
// test and the mesh arrays are on (as the fixed state has them); the font
// sheet stays bound, until the next frame binds the atlas.
void drawOverlay(const Texture& font, std::int32_t shownFps, Vec3f feet, unsigned width, unsigned height);

// One line. Expects the font sheet bound, the client arrays off, depth test
// off and the y-down overlay projection set.
void drawText(const char* text, std::size_t length, std::int16_t x, std::int16_t y, std::uint8_t red,
              std::uint8_t green, std::uint8_t blue);
