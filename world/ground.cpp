#include "world/ground.h"

#include "world/block_kinds.h"

namespace {

constexpr int BLOCKS_X = WORLD_CHUNKS_X * CHUNK_EDGE;
constexpr int BLOCKS_Y = WORLD_CHUNKS_Y * CHUNK_EDGE;
constexpr int BLOCKS_Z = WORLD_CHUNKS_Z * CHUNK_EDGE;

bool solidAt(const World& world, int x, int y, int z) {
    const Chunk* chunk = world.chunks[chunkSlot(x / CHUNK_EDGE, y / CHUNK_EDGE, z / CHUNK_EDGE)];
    return chunk && !isOpenBlock(chunk->blocks[cellIndex(x % CHUNK_EDGE, y % CHUNK_EDGE, z % CHUNK_EDGE)]);
}

int columnDepth(const World& world, int x, int z, int from) {
    int y = from;
    while (y < BLOCKS_Y && solidAt(world, x, y, z)) ++y;
    return y;
}

void measureTile(World& world, int tx, int tz) {
    int least = BLOCKS_Y;
    for (int x = tx * GROUND_TILE_BLOCKS; x < (tx + 1) * GROUND_TILE_BLOCKS; ++x)
        for (int z = tz * GROUND_TILE_BLOCKS; z < (tz + 1) * GROUND_TILE_BLOCKS; ++z) {
            const int depth = world.groundDepth[x * BLOCKS_Z + z];
            least = depth < least ? depth : least;
        }
    world.tileGroundDepth[tx * GROUND_TILES_Z + tz] = static_cast<std::uint8_t>(least);
}

}  // namespace

void measureGround(World& world) {
    for (int x = 0; x < BLOCKS_X; ++x)
        for (int z = 0; z < BLOCKS_Z; ++z)
            world.groundDepth[x * BLOCKS_Z + z] = static_cast<std::uint8_t>(columnDepth(world, x, z, 0));
    measureGroundTiles(world);
}

void measureGroundTiles(World& world) {
    for (int tx = 0; tx < GROUND_TILES_X; ++tx)
        for (int tz = 0; tz < GROUND_TILES_Z; ++tz) measureTile(world, tx, tz);
}

void groundAfterEdit(World& world, int x, int y, int z) {
    if (x < 0 || x >= BLOCKS_X || y < 0 || y >= BLOCKS_Y || z < 0 || z >= BLOCKS_Z) return;
    std::uint8_t& depth = world.groundDepth[x * BLOCKS_Z + z];
    if (y > depth) return;  // above the ground's top: the ground is as it was
    // Opened at or below the top: the ground now ends there. Filled at the top:
    // it may now reach up through the solid cells above.
    depth = static_cast<std::uint8_t>(solidAt(world, x, y, z) ? columnDepth(world, x, z, y) : y);
    measureTile(world, x / GROUND_TILE_BLOCKS, z / GROUND_TILE_BLOCKS);
}
