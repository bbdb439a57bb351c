#include "world/world.h"

#include <memory>
#include <new>

#include "world/huge_page_arena.h"

Chunk* getChunk(const World& world, std::int32_t x, std::int32_t y, std::int32_t z) {
    if (!chunkCoordsInGrid(x, y, z)) return nullptr;
    return world.chunks[chunkSlot(x, y, z)];
}

namespace {

// Follows coordinates that step past a border into the neighbouring chunk, one
// axis step at a time. Returns the chunk holding the cell, with the coordinates
// rewritten to be inside it, or nullptr when the walk leaves the world.
const Chunk* walkToCell(const Chunk* chunk, std::int32_t& x, std::int32_t& y, std::int32_t& z) {
    constexpr int LIMIT[3] = {WORLD_CHUNKS_X, WORLD_CHUNKS_Y, WORLD_CHUNKS_Z};
    std::int32_t* at[3] = {&x, &y, &z};
    while (chunk) {
        // Past the far faces first (x, y, z), then past the near ones.
        int axis = 0, step = 0;
        for (int i = 0; i < 6 && !step; ++i) {
            axis = i % 3;
            step = i < 3 ? (*at[axis] > 15 ? 1 : 0) : (*at[axis] < 0 ? -1 : 0);
        }
        if (!step) return chunk;
        int c[3] = {chunk->cx, chunk->cy, chunk->cz};
        c[axis] += step;
        if (c[axis] < 0 || c[axis] >= LIMIT[axis]) return nullptr;
        *at[axis] = step > 0 ? 0 : 15;
        // An empty slot (only possible before the world is complete) reads as outside.
        chunk = chunk->world ? getChunk(*chunk->world, c[0], c[1], c[2]) : nullptr;
    }
    return nullptr;
}

}  // namespace

BlockId getBlock(const Chunk& chunk, std::int32_t x, std::int32_t y, std::int32_t z) {
    const Chunk* c = walkToCell(&chunk, x, y, z);
    return c ? c->blocks[cellIndex(x, y, z)] : BLOCK_DEEP;
}

int getSkyLight(const Chunk& chunk, std::int32_t x, std::int32_t y, std::int32_t z) {
    const Chunk* c = walkToCell(&chunk, x, y, z);
    return c ? c->light[cellIndex(x, y, z)] >> 4 : 0;
}

int getBlockLight(const Chunk& chunk, std::int32_t x, std::int32_t y, std::int32_t z) {
    const Chunk* c = walkToCell(&chunk, x, y, z);
    return c ? c->light[cellIndex(x, y, z)] & 15 : 0;
}

void setBlock(Chunk& chunk, std::uint8_t x, std::uint8_t y, std::uint8_t z, BlockId id) {
    if (x > 15 || y > 15 || z > 15) return;
    chunk.blocks[cellIndex(x, y, z)] = id;
}

namespace {

void setUpChunk(Chunk& chunk, World* world, int cx, int cy, int cz) {
    chunk.world = world;
    chunk.cx = cx;
    chunk.cy = cy;
    chunk.cz = cz;
    chunk.mesh = ChunkMesh{nullptr, nullptr, nullptr, 0, 0, 0};
    chunk.faces = ChunkFaceIndex{};
    std::unique_ptr<std::int16_t[]> positions(new std::int16_t[1]);
    std::unique_ptr<std::uint8_t[]> colours(new std::uint8_t[1]);
    chunk.mesh.texCoords = new float[1];
    chunk.mesh.positions = positions.release();
    chunk.mesh.colours = colours.release();
}

}  // namespace

Chunk* newChunk(World* world, int cx, int cy, int cz) {
    std::unique_ptr<Chunk> chunk(new Chunk);
    setUpChunk(*chunk, world, cx, cy, cz);
    return chunk.release();
}

void allocateChunks(World& world) {
    auto* records = static_cast<Chunk*>(allocateArena(world, sizeof(Chunk) * WORLD_CHUNK_COUNT));
    for (int cx = 0; cx < WORLD_CHUNKS_X; ++cx)
        for (int cy = 0; cy < WORLD_CHUNKS_Y; ++cy)
            for (int cz = 0; cz < WORLD_CHUNKS_Z; ++cz) {
                const int slot = chunkSlot(cx, cy, cz);
                Chunk* chunk = new (&records[slot]) Chunk;
                setUpChunk(*chunk, &world, cx, cy, cz);
                world.chunks[slot] = chunk;
            }
}

void freeChunkMesh(ChunkMesh& mesh) {
    // Arrays carved from an arena stay in it until the arena goes.
    if (!retireFromArena(mesh.positions, mesh.positionCount * sizeof(std::int16_t)))
        delete[] mesh.positions;
    if (!retireFromArena(mesh.colours, mesh.colourCount)) delete[] mesh.colours;
    if (!retireFromArena(mesh.texCoords, mesh.texCoordCount * sizeof(float))) delete[] mesh.texCoords;
    mesh.positions = nullptr;
    mesh.colours = nullptr;
    mesh.texCoords = nullptr;
}

void freeChunkFaceIndex(ChunkFaceIndex& faces) {
    delete[] faces.codes;
    ::operator delete(faces.indices);  // raw storage, whatever the index width
    faces = ChunkFaceIndex{};
}

void freeChunk(Chunk* chunk) {
    freeChunkMesh(chunk->mesh);
    freeChunkFaceIndex(chunk->faces);
    if (!retireFromArena(chunk, sizeof(Chunk))) delete chunk;
}

void freeWorld(World* world) {
    if (!world) return;
    for (Chunk*& chunk : world->chunks) {
        if (chunk) freeChunk(chunk);
        chunk = nullptr;
    }
    releaseArenas(*world);
    delete world;
}
