#include "world/world.h"

#include <memory>
#include <new>

#include "world/startup_block.h"

Chunk* getChunk(const World& world, std::int32_t x, std::int32_t y, std::int32_t z) {
    if (!chunkCoordsInGrid(x, y, z)) return nullptr;
    return world.chunks[chunkSlot(x, y, z)];
}

namespace {

// Follows coordinates that step past a border into the neighbouring chunk, one
// axis step at a time. Returns the chunk holding the cell, with the coordinates
// rewritten to be inside it, or nullptr when the walk leaves the world.
const Chunk* walkToCell(const Chunk* chunk, std::int32_t& x, std::int32_t& y, std::int32_t& z) {
    for (;;) {
        if (!chunk) return nullptr;
        int cx = chunk->cx, cy = chunk->cy, cz = chunk->cz;
        if (x > 15) {
            if (cx + 1 >= WORLD_CHUNKS_X) return nullptr;
            ++cx;
            x = 0;
        } else if (y > 15) {
            if (cy + 1 >= WORLD_CHUNKS_Y) return nullptr;
            ++cy;
            y = 0;
        } else if (z > 15) {
            if (cz + 1 >= WORLD_CHUNKS_Z) return nullptr;
            ++cz;
            z = 0;
        } else if (x < 0) {
            if (cx <= 0) return nullptr;
            --cx;
            x = 15;
        } else if (y < 0) {
            if (cy <= 0) return nullptr;
            --cy;
            y = 15;
        } else if (z < 0) {
            if (cz <= 0) return nullptr;
            --cz;
            z = 15;
        } else {
            return chunk;
        }
        // An empty slot (only possible before the world is complete) reads as outside.
        chunk = chunk->world ? getChunk(*chunk->world, cx, cy, cz) : nullptr;
    }
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
    chunk.faces = ChunkFaceIndex{nullptr, 0, nullptr, 0, 0};
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
    auto* records = static_cast<Chunk*>(allocateStartupBlock(world, sizeof(Chunk) * WORLD_CHUNK_COUNT));
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
    // Arrays carved from a start-up block stay in it until the block goes.
    if (!retireFromStartupBlock(mesh.positions, mesh.positionCount * sizeof(std::int16_t)))
        delete[] mesh.positions;
    if (!retireFromStartupBlock(mesh.colours, mesh.colourCount)) delete[] mesh.colours;
    if (!retireFromStartupBlock(mesh.texCoords, mesh.texCoordCount * sizeof(float))) delete[] mesh.texCoords;
    mesh.positions = nullptr;
    mesh.colours = nullptr;
    mesh.texCoords = nullptr;
}

void freeChunkFaceIndex(ChunkFaceIndex& faces) {
    delete[] faces.codes;
    ::operator delete(faces.indices);  // raw storage, whatever the index width
    faces = ChunkFaceIndex{nullptr, 0, nullptr, 0, 0};
}

void freeChunk(Chunk* chunk) {
    freeChunkMesh(chunk->mesh);
    freeChunkFaceIndex(chunk->faces);
    if (!retireFromStartupBlock(chunk, sizeof(Chunk))) delete chunk;
}

void freeWorld(World* world) {
    if (!world) return;
    for (Chunk*& chunk : world->chunks) {
        if (chunk) freeChunk(chunk);
        chunk = nullptr;
    }
    releaseStartupBlocks(*world);
    delete world;
}
