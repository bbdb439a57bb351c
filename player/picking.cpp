#include "player/picking.h"

#include <climits>

namespace {

// Truncation toward zero that saturates instead of overflowing, for points of
// a player who has fallen far out of the world.
int truncateToInt(float v) {
    if (!(v > -2147483648.0f)) return INT_MIN;
    if (!(v < 2147483648.0f)) return INT_MAX;
    return static_cast<int>(v);
}

Vec3f rayOrigin(const Player& player) {
    const Vec3f& p = player.position;
    return {p.x, p.y + PICK_EYE_HEIGHT, p.z};
}

Vec3f pointAlong(Vec3f origin, Vec3f d, float t) {
    return {origin.x + t * d.x, origin.y + t * d.y, origin.z + t * d.z};
}

}  // namespace

GridPoint gridPointOf(Vec3f p) {
    const Int3 b = {truncateToInt(p.x * BLOCKS_PER_UNIT), truncateToInt(p.y * BLOCKS_PER_UNIT),
                    truncateToInt(p.z * BLOCKS_PER_UNIT)};
    return {b,
            {b.x / CHUNK_EDGE, b.y / CHUNK_EDGE, b.z / CHUNK_EDGE},
            {b.x % CHUNK_EDGE, b.y % CHUNK_EDGE, b.z % CHUNK_EDGE}};
}

Vec3f pickDirection(const Player& player) {
    const ViewTrig v = viewTrig(player);
    return {v.cosYaw * v.sinPitch, v.cosPitch, v.sinYaw * v.sinPitch};
}

Vec3f pickRayPoint(const Player& player, float t) {
    return pointAlong(rayOrigin(player), pickDirection(player), t);
}

PickResult pickBlock(const World& world, const Player& player) {
    const Vec3f o = rayOrigin(player);
    const Vec3f d = pickDirection(player);
    for (float t = PICK_FIRST_SAMPLE; t < PICK_REACH; t += 1.0f) {
        const GridPoint g = gridPointOf(pointAlong(o, d, t));
        const Int3 c = g.chunk;
        if (!chunkCoordsInGrid(c.x, c.y, c.z)) continue;
        Chunk* chunk = world.chunks[chunkSlot(c.x, c.y, c.z)];
        if (!chunk) continue;
        // Cells just outside the low faces of the world read as solid and count as hits.
        if (getBlock(*chunk, g.cell.x, g.cell.y, g.cell.z) == BLOCK_AIR) continue;
        return {true, t, g.block, c, g.cell, chunk};
    }
    return {};
}

void outlineVertices(Int3 block, float out[OUTLINE_VERTICES * 3]) {
    // Around where the cell is drawn (one block below its data position), with
    // a small margin so the lines are not hidden by the faces.
    const float x = static_cast<float>(UNITS_PER_BLOCK * block.x);
    const float y = static_cast<float>(UNITS_PER_BLOCK * block.y);
    const float z = static_cast<float>(UNITS_PER_BLOCK * block.z);
    const float xl = x - 0.1f, xh = x + 16.1f;
    const float yl = y - 16.1f, yh = y + 0.1f;
    const float zl = z - 0.1f, zh = z + 16.1f;
    const float points[OUTLINE_VERTICES][3] = {
        {xh, yh, zl}, {xl, yh, zl}, {xl, yh, zl}, {xl, yh, zh}, {xl, yh, zh}, {xh, yh, zh},
        {xh, yh, zh}, {xh, yh, zl}, {xh, yl, zl}, {xh, yl, zh}, {xh, yl, zh}, {xl, yl, zh},
        {xl, yl, zh}, {xl, yl, zl}, {xl, yl, zl}, {xh, yl, zl}, {xh, yl, zl}, {xh, yh, zl},
        {xh, yl, zh}, {xh, yh, zh}, {xl, yl, zh}, {xl, yh, zh}, {xl, yl, zl}, {xl, yh, zl},
    };
    for (int v = 0; v < OUTLINE_VERTICES; ++v)
        for (int a = 0; a < 3; ++a) out[3 * v + a] = points[v][a];
}
