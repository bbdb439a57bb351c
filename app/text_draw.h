#pragma once
// Draws one overlay line in the bitmap font. Expects the font sheet bound, the
// client arrays off, depth test off and the y-down overlay projection set.

#include <cstddef>
#include <cstdint>

void drawText(const char* text, std::size_t length, std::int16_t x, std::int16_t y, std::uint8_t red,
              std::uint8_t green, std::uint8_t blue);
