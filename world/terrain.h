#pragma once
// Terrain: every cell's block and light from a closed-form height function of
// its column. The same world on every run.

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

// Fills every cell's block and light of every chunk of an allocated world.
void generateTerrain(World& world);
