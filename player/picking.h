#pragma once
// The picking ray and the selection outline, free of any drawing so they can
// be checked on hand-built worlds.

#include "player/player.h"

struct Int3 {
    int x, y, z;
};

struct PickResult {
    bool hit;
    float distance;  // along the view direction, PICK_FIRST_SAMPLE to below PICK_REACH
    Int3 block;      // world block coordinates of the hit
    Int3 chunk;      // chunk coordinates of the hit
    Int3 cell;       // cell within that chunk; negative when the ray left the world
    Chunk* hitChunk;
};

// Where a point falls: its block, that block's chunk and its cell within the
// chunk, from coordinates truncated toward zero (saturating far outside).
struct GridPoint {
    Int3 block, chunk, cell;
};
GridPoint gridPointOf(Vec3f p);

// The view direction with every factor and product in single precision.
Vec3f pickDirection(const Player& player);

// The point t units along the view direction from the picking eye.
Vec3f pickRayPoint(const Player& player, float t);

// Marches from the eye in unit steps and stops at the first non-air cell.
PickResult pickBlock(const World& world, const Player& player);

// 12 edges (24 points, x y z each) of a box just around the drawn cell of `block`.
constexpr int OUTLINE_VERTICES = 24;
void outlineVertices(Int3 block, float out[OUTLINE_VERTICES * 3]);
