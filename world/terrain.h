#pragma once
// World construction: every chunk allocated, every cell generated from a
// closed-form height function, every chunk meshed. The same world on every run.

#include "world/world.h"

constexpr int WORLD_BLOCKS_X = WORLD_CHUNKS_X * CHUNK_EDGE;  // 512
constexpr int WORLD_BLOCKS_Y = WORLD_CHUNKS_Y * CHUNK_EDGE;  // 128
constexpr int WORLD_BLOCKS_Z = WORLD_CHUNKS_Z * CHUNK_EDGE;  // 512

// The four float factors of the height of column (i, j): cosA and cosB depend
// on i only, sinC and sinD on j only.
struct ColumnFactors {
    float cosA, cosB, sinC, sinD;
};
ColumnFactors columnFactors(int i, int j);

// World y of the top solid cell of column (i, j), 41..86 over the world.
int columnHeight(int i, int j);

// The three phases of construction, exposed so tools can time them apart.
void allocateChunks(World& world);   // every slot gets a chunk with one-element mesh arrays
void generateTerrain(World& world);  // every cell's block and light
void meshAllChunks(World& world);    // every chunk's mesh, in slot order

// All three phases; the caller owns the result for the whole run.
World* createWorld();

// Allocates a single chunk at grid (cx, cy, cz) of `world`, blocks and light
// left as allocated. Used by the allocation phase and by hand-built test worlds.
Chunk* newChunk(World* world, int cx, int cy, int cz);
