// The generated world: column heights, the layering and light of every cell,
// and the chunk grid after construction.

#include "world/terrain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/support/test_worlds.h"
#include "world/ground.h"

namespace {

TEST(TerrainHeights, KnownColumns) {
    EXPECT_EQ(columnHeight(0, 0), 72);
    EXPECT_EQ(columnHeight(1, 0), 71);  // 71.99...: truncated, not rounded
    EXPECT_EQ(columnHeight(0, 38), 86);
    EXPECT_EQ(columnHeight(191, 218), 41);
    EXPECT_EQ(columnHeight(16, 16), 76);
    EXPECT_EQ(columnHeight(100, 200), 54);
    EXPECT_EQ(columnHeight(511, 511), 71);
    // Exactly 80 on paper; the float pi makes the first sine -8.7e-8, not 0.
    EXPECT_EQ(columnHeight(0, 64), 79);
    EXPECT_EQ(columnHeight(0, 320), 79);  // 80 with a double pi
    // Factors computed in double and narrowed to float. For these angles the
    // single-precision cos and sin give the next float instead: no height
    // differs today, only the factors show it.
    const ColumnFactors a = columnFactors(157, 12), b = columnFactors(162, 6);
    EXPECT_EQ(a.cosA, -0x1.5195cp-1f);
    EXPECT_EQ(a.sinC, 0x1.294062p-2f);
    EXPECT_EQ(b.cosB, -0x1.917a9p-4f);
    EXPECT_EQ(b.sinD, 0x1.294062p-2f);
}

TEST(TerrainHeights, TruncatedSurfaceAwayFromIntegersAndKnownTotals) {
    const double pi = 3.14159265358979323846;
    long long sum = 0;
    int lowest = 1000, highest = -1000, atLowest = 0, atHighest = 0;
    for (int i = 0; i < WORLD_BLOCKS_X; ++i)
        for (int j = 0; j < WORLD_BLOCKS_Z; ++j) {
            const int h = columnHeight(i, j);
            // The surface in exact terms. Where it sits on an integer, the
            // float steps of the rule decide between it and the one below.
            const double exact =
                64 + 8 * (std::sin(pi * j / 64) + std::sin(pi * j / 128) * std::cos(pi * i / 48) +
                          std::cos(pi * i / 64));
            const double nearest = std::round(exact);
            if (std::fabs(exact - nearest) > 1e-5) {
                ASSERT_EQ(h, static_cast<int>(exact)) << i << " " << j;
            } else {
                ASSERT_TRUE(h == nearest || h == nearest - 1) << i << " " << j;
            }
            sum += h;
            lowest = std::min(lowest, h);
            highest = std::max(highest, h);
            atLowest += h == 41;
            atHighest += h == 86;
        }
    EXPECT_EQ(lowest, 41);
    EXPECT_EQ(highest, 86);
    EXPECT_EQ(atLowest, 30);
    EXPECT_EQ(atHighest, 50);
    EXPECT_EQ(sum, 16646073);  // which on-integer columns drop, in total
}

TEST(GeneratedWorld, EveryColumnIsLayeredUnderItsSurfaceAndTheGridIsComplete) {
    const World& world = sharedGeneratedWorld();

    // Column (0, 0), height 72, spelled out.
    EXPECT_EQ(worldBlock(world, 0, 0, 0), BLOCK_FLOOR);
    for (int k = 1; k <= 67; ++k) EXPECT_EQ(worldBlock(world, 0, k, 0), BLOCK_DEEP) << k;
    for (int k = 68; k <= 71; ++k) EXPECT_EQ(worldBlock(world, 0, k, 0), BLOCK_SUBSURFACE) << k;
    EXPECT_EQ(worldBlock(world, 0, 72, 0), BLOCK_SURFACE);
    for (int k = 73; k < 128; ++k) EXPECT_EQ(worldBlock(world, 0, k, 0), BLOCK_AIR) << k;

    long long kinds[256] = {};
    std::vector<int> topSolid(WORLD_BLOCKS_X * WORLD_BLOCKS_Z, -1);
    for (int cx = 0; cx < WORLD_CHUNKS_X; ++cx)
        for (int cy = 0; cy < WORLD_CHUNKS_Y; ++cy)
            for (int cz = 0; cz < WORLD_CHUNKS_Z; ++cz) {
                const Chunk* chunk = getChunk(world, cx, cy, cz);
                ASSERT_NE(chunk, nullptr);
                ASSERT_EQ(chunk->world, &world);
                ASSERT_EQ(chunk->cx, cx);
                ASSERT_EQ(chunk->cy, cy);
                ASSERT_EQ(chunk->cz, cz);
                for (int x = 0; x < 16; ++x)
                    for (int z = 0; z < 16; ++z) {
                        int& top = topSolid[(cx * 16 + x) * WORLD_BLOCKS_Z + cz * 16 + z];
                        for (int y = 0, k = cy * 16; y < 16; ++y, ++k) {
                            const BlockId kind = chunk->blocks[cellIndex(x, y, z)];
                            ++kinds[kind];
                            ASSERT_EQ(kind == BLOCK_FLOOR, k == 0) << k;
                            ASSERT_EQ(chunk->light[cellIndex(x, y, z)], kind == BLOCK_AIR ? 0xF8 : 0x88) << k;
                            if (kind != BLOCK_AIR) top = k;
                        }
                    }
            }
    for (int i = 0; i < WORLD_BLOCKS_X; ++i)
        for (int j = 0; j < WORLD_BLOCKS_Z; ++j)
            ASSERT_EQ(topSolid[i * WORLD_BLOCKS_Z + j], columnHeight(i, j)) << i << " " << j;
    // One cell more than the height in every column, 16,908,217 in all, so no
    // column has a gap: the floor, h - 5 deep, four subsurface, one surface.
    EXPECT_EQ(kinds[BLOCK_FLOOR], 262144);
    EXPECT_EQ(kinds[BLOCK_DEEP], 16646073 - 5 * 262144);
    EXPECT_EQ(kinds[BLOCK_SUBSURFACE], 4 * 262144);
    EXPECT_EQ(kinds[BLOCK_SURFACE], 262144);
    EXPECT_EQ(kinds[BLOCK_AIR], 512LL * 128 * 512 - 16908217);

    // The ground's depths, written from the heights, are the ones the cells give.
    World& ground = sharedGeneratedWorld();
    const std::vector<std::uint8_t> written(std::begin(ground.groundDepth), std::end(ground.groundDepth));
    measureGround(ground);
    EXPECT_TRUE(std::equal(written.begin(), written.end(), std::begin(ground.groundDepth)));
}

}  // namespace
