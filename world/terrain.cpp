#include "world/terrain.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "world/ground.h"

namespace {

// The float value of pi, widened: the height rule is defined with it, and
// columns whose sum lands just below an integer depend on that.
constexpr double PI_F = static_cast<double>(3.14159265358979323846f);

// The double-precision cos and sin of the angle narrowed to float, the result
// narrowed again: the single-precision functions differ in the last bit for
// some angles, and columns that sit on an integer can depend on that bit.
float narrowedCos(double angle) {
    return static_cast<float>(std::cos(static_cast<double>(static_cast<float>(angle))));
}
float narrowedSin(double angle) {
    return static_cast<float>(std::sin(static_cast<double>(static_cast<float>(angle))));
}

struct ColumnFactorsX {
    float cosA;
    float cosB;
};

ColumnFactorsX factorsForX(int i) {
    const double a = static_cast<float>(i);
    return {narrowedCos(a / 48 * PI_F), narrowedCos(a * 0.015625 * PI_F)};
}

struct ColumnFactorsZ {
    float sinC;
    float sinD;
};

ColumnFactorsZ factorsForZ(int j) {
    const double b = static_cast<float>(j);
    return {narrowedSin(b * 0.0078125 * PI_F), narrowedSin(b * 0.015625 * PI_F)};
}

int heightFromFactors(const ColumnFactorsX& fx, const ColumnFactorsZ& fz) {
    const double t = static_cast<double>(fz.sinC) * fx.cosA + fx.cosB;
    return static_cast<int>((fz.sinD + t) * 24 / 3 + 64);
}

constexpr LightByte LIGHT_BURIED = 0x88;  // sky 8, block 8
constexpr LightByte LIGHT_OPEN = 0xF8;    // sky 15, block 8

using HeightMap = std::vector<int>;  // [i * WORLD_BLOCKS_Z + j]

// One row of 16 cells along z at world layer k. Written so the compiler can
// turn the per-cell choice into vector selects.
void fillRow(BlockId* blocks, LightByte* light, int k, const int* heights) {
    for (int z = 0; z < CHUNK_EDGE; ++z) {
        const int h = heights[z];
        BlockId block = k < h - 4 ? BLOCK_DEEP : BLOCK_SUBSURFACE;
        block = k == h ? BLOCK_SURFACE : block;
        block = k > h ? BLOCK_AIR : block;
        blocks[z] = k == 0 ? BLOCK_FLOOR : block;
        light[z] = k > h ? LIGHT_OPEN : LIGHT_BURIED;
    }
}

void fillChunk(Chunk& chunk, const HeightMap& heights) {
    const int baseK = chunk.cy * CHUNK_EDGE;
    int lowest = WORLD_BLOCKS_Y, highest = 0;
    for (int x = 0; x < CHUNK_EDGE; ++x)
        for (int z = 0; z < CHUNK_EDGE; ++z) {
            const int h = heights[static_cast<size_t>(chunk.cx * CHUNK_EDGE + x) * WORLD_BLOCKS_Z +
                                  chunk.cz * CHUNK_EDGE + z];
            lowest = h < lowest ? h : lowest;
            highest = h > highest ? h : highest;
        }
    // Chunks wholly above the surface or wholly in the deep fill are uniform.
    if (baseK > highest) {
        std::memset(chunk.blocks, BLOCK_AIR, sizeof chunk.blocks);
        std::memset(chunk.light, LIGHT_OPEN, sizeof chunk.light);
        return;
    }
    if (baseK > 0 && baseK + CHUNK_EDGE - 1 < lowest - 4) {
        std::memset(chunk.blocks, BLOCK_DEEP, sizeof chunk.blocks);
        std::memset(chunk.light, LIGHT_BURIED, sizeof chunk.light);
        return;
    }
    for (int x = 0; x < CHUNK_EDGE; ++x) {
        const int* rowHeights =
            &heights[static_cast<size_t>(chunk.cx * CHUNK_EDGE + x) * WORLD_BLOCKS_Z + chunk.cz * CHUNK_EDGE];
        for (int y = 0; y < CHUNK_EDGE; ++y) {
            const int index = cellIndex(x, y, 0);
            fillRow(&chunk.blocks[index], &chunk.light[index], baseK + y, rowHeights);
        }
    }
}

}  // namespace

ColumnFactors columnFactors(int i, int j) {
    const ColumnFactorsX fx = factorsForX(i);
    const ColumnFactorsZ fz = factorsForZ(j);
    return {fx.cosA, fx.cosB, fz.sinC, fz.sinD};
}

int columnHeight(int i, int j) { return heightFromFactors(factorsForX(i), factorsForZ(j)); }

void generateTerrain(World& world) {
    // Heights first (cosines once per x, sines once per z), then each chunk is
    // written straight through in its own memory order: the same cells and
    // values as a column-by-column pass, without a grid lookup per cell.
    std::vector<ColumnFactorsZ> zFactors(WORLD_BLOCKS_Z);
    for (int j = 0; j < WORLD_BLOCKS_Z; ++j) zFactors[j] = factorsForZ(j);
    HeightMap heights(static_cast<size_t>(WORLD_BLOCKS_X) * WORLD_BLOCKS_Z);
    for (int i = 0; i < WORLD_BLOCKS_X; ++i) {
        const ColumnFactorsX fx = factorsForX(i);
        for (int j = 0; j < WORLD_BLOCKS_Z; ++j)
            heights[static_cast<size_t>(i) * WORLD_BLOCKS_Z + j] = heightFromFactors(fx, zFactors[j]);
    }

    for (Chunk* chunk : world.chunks) fillChunk(*chunk, heights);

    // Every column is solid from the floor up to its surface cell (fillRow),
    // so the ground's depth is known without reading the cells back.
    for (std::size_t c = 0; c < heights.size(); ++c) {
        const int h = heights[c];
        world.groundDepth[c] = static_cast<std::uint8_t>((h < 0                 ? 0
                                                          : h >= WORLD_BLOCKS_Y ? WORLD_BLOCKS_Y - 1
                                                                                : h) +
                                                         1);
    }
    measureGroundTiles(world);
}
