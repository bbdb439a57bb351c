#pragma once
// The one table of block kinds: their texture rows, which kinds are open and
// the kind a right click places all come from here.

#include "world/world.h"

struct BlockKind {
    BlockId id;
    const char* name;
    std::uint8_t cells[6];  // packed atlas cells (row·16 + column): four sides, top, bottom
    bool open;              // lets the faces of its neighbours show
    bool placeable;         // what a right click places
};

// clang-format off
constexpr BlockKind BLOCK_KINDS[] = {
    // kind              name           sides                    top   bottom  open   placeable
    {BLOCK_AIR,          "air",         {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, true,  false},
    {BLOCK_DEEP,         "stone",       {0x01, 0x01, 0x01, 0x01, 0x01, 0x01}, false, true},
    {BLOCK_SURFACE,      "grass",       {0x03, 0x03, 0x03, 0x03, 0x00, 0x02}, false, false},
    {BLOCK_SUBSURFACE,   "earth",       {0x02, 0x02, 0x02, 0x02, 0x02, 0x02}, false, false},
    // Never generated or placed; it has always shown the grass top of cell (0, 0).
    {BLOCK_TRANSLUCENT,  "translucent", {0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, true,  false},
    {BLOCK_FLOOR,        "bedrock",     {0x11, 0x11, 0x11, 0x11, 0x11, 0x11}, false, false},
    {42,                 "brick",       {0x30, 0x30, 0x30, 0x30, 0x30, 0x30}, false, false},
};
// clang-format on

// Kinds outside the table are solid.
constexpr bool isOpenBlock(BlockId id) {
    for (const BlockKind& kind : BLOCK_KINDS)
        if (kind.id == id) return kind.open;
    return false;
}

constexpr BlockId placedKind() {
    int count = 0;
    BlockId placed = BLOCK_AIR;
    for (const BlockKind& kind : BLOCK_KINDS)
        if (kind.placeable) placed = kind.id, ++count;
    return count == 1 ? placed : BLOCK_AIR;
}
constexpr BlockId PLACED_BLOCK = placedKind();
static_assert(PLACED_BLOCK != BLOCK_AIR, "world/block_kinds.h: exactly one kind must be placeable");
