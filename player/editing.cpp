#include "player/editing.h"

#include "render/mesher.h"
#include "world/block_kinds.h"
#include "world/ground.h"

namespace {

// Rebuilds the chunk first, then each neighbour across a face the cell
// touches; and the ground under the cell, which hides what lies behind it.
void rebuildAround(World& world, Chunk& chunk, Int3 cell, EditResult& result) {
    groundAfterEdit(world, chunk.cx * CHUNK_EDGE + cell.x, chunk.cy * CHUNK_EDGE + cell.y,
                    chunk.cz * CHUNK_EDGE + cell.z);
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
    const GridPoint g = gridPointOf(pickRayPoint(player, pick.distance - 1.0f));
    const Int3 k = g.chunk, cell = g.cell;
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

EditResult applyEdit(World& world, const Player& player, const PickResult& pick) {
    if (!pick.hit) return {EDIT_NONE, 0, {}};
    if (player.leftClick) return removeBlock(world, pick);
    if (player.rightClick) return placeBlock(world, player, pick);
    return {EDIT_NONE, 0, {}};
}
