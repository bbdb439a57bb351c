#include "tests/support/test_worlds.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/world_setup.h"
#include "render/block_textures.h"
#include "render/mesher.h"
#include "world/terrain.h"

namespace {

Chunk& chunkHolding(const World& world, int wx, int wy, int wz) {
    Chunk* chunk = nullptr;
    if (wx >= 0 && wy >= 0 && wz >= 0) chunk = getChunk(world, wx / 16, wy / 16, wz / 16);
    if (!chunk) {
        std::fprintf(stderr, "test world: no chunk holds cell (%d, %d, %d)\n", wx, wy, wz);
        std::abort();
    }
    return *chunk;
}

int localIndex(int wx, int wy, int wz) { return cellIndex(wx % 16, wy % 16, wz % 16); }

}  // namespace

TestWorld makeTestWorld(bool allChunks, LightByte light) {
    TestWorld world(new World());
    if (allChunks)
        for (int cx = 0; cx < WORLD_CHUNKS_X; ++cx)
            for (int cy = 0; cy < WORLD_CHUNKS_Y; ++cy)
                for (int cz = 0; cz < WORLD_CHUNKS_Z; ++cz) addAirChunk(*world, cx, cy, cz, light);
    return world;
}

Chunk& addAirChunk(World& world, int cx, int cy, int cz, LightByte light) {
    if (!chunkCoordsInGrid(cx, cy, cz)) {
        std::fprintf(stderr, "test world: chunk (%d, %d, %d) is outside the grid\n", cx, cy, cz);
        std::abort();
    }
    Chunk*& slot = world.chunks[chunkSlot(cx, cy, cz)];
    if (slot) freeChunk(slot);
    slot = newChunk(&world, cx, cy, cz);
    std::memset(slot->blocks, BLOCK_AIR, sizeof slot->blocks);
    std::memset(slot->reserved, 0, sizeof slot->reserved);
    std::memset(slot->light, light, sizeof slot->light);
    return *slot;
}

void setWorldBlock(World& world, int wx, int wy, int wz, BlockId id) {
    chunkHolding(world, wx, wy, wz).blocks[localIndex(wx, wy, wz)] = id;
}

BlockId worldBlock(const World& world, int wx, int wy, int wz) {
    return chunkHolding(world, wx, wy, wz).blocks[localIndex(wx, wy, wz)];
}

void setWorldLight(World& world, int wx, int wy, int wz, LightByte light) {
    chunkHolding(world, wx, wy, wz).light[localIndex(wx, wy, wz)] = light;
}

LightByte worldLight(const World& world, int wx, int wy, int wz) {
    return chunkHolding(world, wx, wy, wz).light[localIndex(wx, wy, wz)];
}

World& sharedGeneratedWorld() {
    static World* world = [] {
        setGameBlockTextures();
        return createWorld();
    }();
    return *world;
}

void addAirChunks(World& world, int cx0, int cx1, int cy0, int cy1, int cz0, int cz1) {
    for (int cx = cx0; cx <= cx1; ++cx)
        for (int cy = cy0; cy <= cy1; ++cy)
            for (int cz = cz0; cz <= cz1; ++cz) addAirChunk(world, cx, cy, cz);
}

TestWorld makeFloorWorld() {
    TestWorld world = makeTestWorld(false);
    addAirChunks(*world, 0, 2, 0, 1, 0, 2);
    for (int wx = 0; wx < 48; ++wx)
        for (int wz = 0; wz < 48; ++wz)
            for (int wy = 0; wy < 4; ++wy) setWorldBlock(*world, wx, wy, wz, BLOCK_DEEP);
    return world;
}

Player playerAt(float x, float y, float z, float yaw, float pitch, World* world) {
    Player player = createPlayer(world, x, y, z);
    player.yaw = yaw;
    player.pitch = pitch;
    return player;
}

MeshCopy copyOf(const ChunkMesh& mesh) {
    return {{mesh.positions, mesh.positions + mesh.positionCount},
            {mesh.colours, mesh.colours + mesh.colourCount},
            {mesh.texCoords, mesh.texCoords + mesh.texCoordCount}};
}
