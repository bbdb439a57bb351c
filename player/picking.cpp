#include "player/picking.h"

#include <climits>

#include "render/mesher.h"

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

bool chunkInGrid(Int3 c) { return chunkCoordsInGrid(c.x, c.y, c.z); }

// Rebuilds the chunk first, then each neighbour across a face the cell touches.
void rebuildAround(World& world, Chunk& chunk, Int3 cell, EditResult& result) {
    buildChunkMesh(chunk);
    result.rebuilt[result.rebuiltCount++] = &chunk;
    const int at[3] = {cell.x, cell.y, cell.z};
    for (int axis = 0; axis < 3; ++axis) {
        int step = 0;
        if (at[axis] == 0) step = -1;
        if (at[axis] == CHUNK_EDGE - 1) step = 1;
        if (!step) continue;
        Int3 n = {chunk.cx, chunk.cy, chunk.cz};
        (axis == 0 ? n.x : axis == 1 ? n.y : n.z) += step;
        Chunk* neighbour = getChunk(world, n.x, n.y, n.z);
        if (!neighbour) continue;
        buildChunkMesh(*neighbour);
        result.rebuilt[result.rebuiltCount++] = neighbour;
    }
}

EditResult removeBlock(World& world, const PickResult& pick) {
    EditResult result = {EDIT_REFUSED_FLOOR, 0, {}};
    Chunk& chunk = *pick.hitChunk;
    const Int3 c = pick.cell;
    if (getBlock(chunk, c.x, c.y, c.z) == BLOCK_FLOOR) return result;
    // A hit just outside the world has a negative cell: the write guard leaves it alone.
    setBlock(chunk, static_cast<std::uint8_t>(c.x), static_cast<std::uint8_t>(c.y),
             static_cast<std::uint8_t>(c.z), BLOCK_AIR);
    result.outcome = EDIT_REMOVED;
    rebuildAround(world, chunk, c, result);
    return result;
}

EditResult placeBlock(World& world, const Player& player, const PickResult& pick) {
    EditResult result = {EDIT_REFUSED_OUTSIDE, 0, {}};
    // One step back from the hit, toward the eye.
    const Vec3f q = pointAlong(rayOrigin(player), pickDirection(player), pick.distance - 1.0f);
    const Int3 k = {truncateToInt(q.x * CHUNKS_PER_UNIT), truncateToInt(q.y * CHUNKS_PER_UNIT),
                    truncateToInt(q.z * CHUNKS_PER_UNIT)};
    const Int3 cell = {truncateToInt(q.x * BLOCKS_PER_UNIT) % CHUNK_EDGE,
                       truncateToInt(q.y * BLOCKS_PER_UNIT) % CHUNK_EDGE,
                       truncateToInt(q.z * BLOCKS_PER_UNIT) % CHUNK_EDGE};
    if (!chunkInGrid(k)) return result;
    Chunk* chunk = getChunk(world, k.x, k.y, k.z);
    if (!chunk) return result;
    if (getBlock(*chunk, cell.x, cell.y, cell.z) != BLOCK_AIR) {
        result.outcome = EDIT_REFUSED_OCCUPIED;
        return result;
    }
    const auto ux = static_cast<std::uint8_t>(cell.x), uy = static_cast<std::uint8_t>(cell.y),
               uz = static_cast<std::uint8_t>(cell.z);
    setBlock(*chunk, ux, uy, uz, PLACED_BLOCK);
    const Vec3f& p = player.position;
    if (!isPointFree(player, p.x, p.y, p.z) || !isPointFree(player, p.x, p.y + PLAYER_HEAD_HEIGHT, p.z)) {
        setBlock(*chunk, ux, uy, uz, BLOCK_AIR);
        result.outcome = EDIT_REFUSED_BODY;
        return result;
    }
    result.outcome = EDIT_PLACED;
    rebuildAround(world, *chunk, cell, result);
    return result;
}

}  // namespace

Vec3f pickDirection(const Player& player) {
    const ViewTrig v = viewTrig(player);
    return {v.cosYaw * v.sinPitch, v.cosPitch, v.sinYaw * v.sinPitch};
}

PickResult pickBlock(const World& world, const Player& player) {
    PickResult pick = {};
    const Vec3f o = rayOrigin(player);
    const Vec3f d = pickDirection(player);
    for (float t = PICK_FIRST_SAMPLE; t < PICK_REACH; t += 1.0f) {
        const Vec3f p = pointAlong(o, d, t);
        const Int3 b = {truncateToInt(p.x * BLOCKS_PER_UNIT), truncateToInt(p.y * BLOCKS_PER_UNIT),
                        truncateToInt(p.z * BLOCKS_PER_UNIT)};
        const Int3 c = {b.x / CHUNK_EDGE, b.y / CHUNK_EDGE, b.z / CHUNK_EDGE};
        if (!chunkInGrid(c)) continue;
        Chunk* chunk = world.chunks[chunkSlot(c.x, c.y, c.z)];
        if (!chunk) continue;
        const Int3 cell = {b.x % CHUNK_EDGE, b.y % CHUNK_EDGE, b.z % CHUNK_EDGE};
        // Cells just outside the low faces of the world read as solid and count as hits.
        if (getBlock(*chunk, cell.x, cell.y, cell.z) == BLOCK_AIR) continue;
        pick.hit = true;
        pick.distance = t;
        pick.block = b;
        pick.chunk = c;
        pick.cell = cell;
        pick.hitChunk = chunk;
        return pick;
    }
    return pick;
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

EditResult applyEdit(World& world, const Player& player, const PickResult& pick) {
    if (!pick.hit) return {EDIT_NONE, 0, {}};
    if (player.leftClick) return removeBlock(world, pick);
    if (player.rightClick) return placeBlock(world, player, pick);
    return {EDIT_NONE, 0, {}};
}
