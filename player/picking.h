#pragma once
// The picking ray, the selection outline and block editing, free of any
// drawing so they can be checked on hand-built worlds.

#include "player/player.h"

struct Int3 {
    int x, y, z;
};

struct PickResult {
    bool hit;
    float distance;  // along the view direction, 8..79
    Int3 block;      // world block coordinates of the hit
    Int3 chunk;      // chunk coordinates of the hit
    Int3 cell;       // cell within that chunk; negative when the ray left the world
    Chunk* hitChunk;
};

// The view direction with every factor and product in single precision.
Vec3f pickDirection(const Player& player);

// Marches from the eye in unit steps and stops at the first non-air cell.
PickResult pickBlock(const World& world, const Player& player);

// 12 edges (24 points, x y z each) of a box just around the drawn cell of `block`.
constexpr int OUTLINE_VERTICES = 24;
void outlineVertices(Int3 block, float out[OUTLINE_VERTICES * 3]);

enum EditOutcome {
    EDIT_NONE,  // no click, or no hit
    EDIT_REMOVED,
    EDIT_REFUSED_FLOOR,  // the bottom layer cannot be removed
    EDIT_PLACED,
    EDIT_REFUSED_OUTSIDE,   // placement point outside the world or in a missing chunk
    EDIT_REFUSED_OCCUPIED,  // placement cell not air
    EDIT_REFUSED_BODY,      // the block would hold the feet or head point
};

struct EditResult {
    EditOutcome outcome;
    int rebuiltCount;  // chunks whose meshes were rebuilt, edited chunk first
    Chunk* rebuilt[4];
};

// At most one edit: removal on a left click, else placement on a right click.
// Rebuilds the edited chunk and every existing neighbour chunk that shares a
// face with the edited cell, so no chunk shows a hole or a stale face.
EditResult applyEdit(World& world, const Player& player, const PickResult& pick);
