#pragma once
// Which atlas cell each face of each block kind shows.

#include <cstdint>

#include "world/world.h"

// Face slots of a row: 0 serves the four sides, 4 the top, 5 the bottom;
// 1..3 are stored but shown by no face.
constexpr int TEX_SLOT_SIDE = 0;
constexpr int TEX_SLOT_TOP = 4;
constexpr int TEX_SLOT_BOTTOM = 5;
constexpr int TEX_SLOTS = 6;

struct AtlasCell {
    float u;  // left edge in texture space
    float v;  // top edge in texture space (v = 0 is the image's first row)
};

struct BlockTexTable {
    AtlasCell rows[256][TEX_SLOTS];
};

// Process-wide; zero-filled until rows are set, so an unset kind shows cell (0, 0).
extern BlockTexTable blockTexTable;
extern float atlasCellSize;

// Replaces the row of `kind`. A packed cell holds the column in its low nibble
// and the row in its high nibble.
void setBlockTextures(BlockId kind, std::uint8_t side0, std::uint8_t side1, std::uint8_t side2,
                      std::uint8_t side3, std::uint8_t top, std::uint8_t bottom);

// A row for every kind of the block-kind table.
void setGameBlockTextures();
