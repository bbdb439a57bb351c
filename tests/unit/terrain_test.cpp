// The generated world: column heights, the layering and light of every cell,
// and the chunk grid after construction.

#include "world/terrain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/support/test_worlds.h"

namespace {

// The height rule written out step by step, with pi as given and every
// "narrow to float" step of the rule.
int narrowedRuleHeight(int i, int j, double pi) {
    const float a = static_cast<float>(i), b = static_cast<float>(j);
    const float cosA = static_cast<float>(std::cos(static_cast<float>(a / 48.0 * pi)));
    const float cosB = static_cast<float>(std::cos(static_cast<float>(a * 0.015625 * pi)));
    const float sinC = static_cast<float>(std::sin(static_cast<float>(b * 0.0078125 * pi)));
    const float sinD = static_cast<float>(std::sin(static_cast<float>(b * 0.015625 * pi)));
    const double t = static_cast<double>(sinC) * cosA + cosB;
    return static_cast<int>((sinD + t) * 24 / 3 + 64);
}

// The same surface in plain double arithmetic, as one would first write it.
int exactHeight(int i, int j) {
    const double pi = 3.14159265358979323846;
    return static_cast<int>(64 + 8 * (std::sin(pi * j / 64) + std::sin(pi * j / 128) * std::cos(pi * i / 48) +
                                      std::cos(pi * i / 64)));
}

const double FLOAT_PI = static_cast<double>(3.14159265358979323846f);

TEST(TerrainHeights, KnownColumns) {
    EXPECT_EQ(columnHeight(0, 0), 72);
    EXPECT_EQ(columnHeight(1, 0), 71);  // 71.99...: truncated, not rounded
    EXPECT_EQ(columnHeight(0, 38), 86);
    EXPECT_EQ(columnHeight(191, 218), 41);
    EXPECT_EQ(columnHeight(16, 16), 76);
    EXPECT_EQ(columnHeight(100, 200), 54);
    EXPECT_EQ(columnHeight(511, 511), 71);
}

TEST(TerrainHeights, FloatPiAndNarrowingDecideColumnsThatSitOnAnInteger) {
    // At (0, 64) and (0, 320) the exact sum is 64 + 8 * (0 + 1 + 1) = 80. With the
    // float pi the first sine is -8.7e-8 instead of 0 and the height is 79.
    EXPECT_EQ(exactHeight(0, 64), 80);
    EXPECT_EQ(columnHeight(0, 64), 79);  // fails without the float narrowing
    EXPECT_EQ(narrowedRuleHeight(0, 320, 3.14159265358979323846), 80);
    EXPECT_EQ(columnHeight(0, 320), 79);  // fails with a double pi, even when narrowed

    int exactDisagrees = 0, doublePiDisagrees = 0;
    for (int i = 0; i < WORLD_BLOCKS_X; ++i)
        for (int j = 0; j < WORLD_BLOCKS_Z; ++j) {
            const int h = columnHeight(i, j);
            ASSERT_EQ(h, narrowedRuleHeight(i, j, FLOAT_PI)) << i << " " << j;
            exactDisagrees += exactHeight(i, j) != h;
            doublePiDisagrees += narrowedRuleHeight(i, j, 3.14159265358979323846) != h;
        }
    // Not a handful of stray columns: the arithmetic matters across the world.
    EXPECT_GT(exactDisagrees, 100);
    EXPECT_GT(doublePiDisagrees, 50);
}

TEST(TerrainHeights, RangeCountsAndSumOverAllColumns) {
    long long sum = 0;
    int lowest = 1000, highest = -1000, atLowest = 0, atHighest = 0;
    for (int i = 0; i < WORLD_BLOCKS_X; ++i)
        for (int j = 0; j < WORLD_BLOCKS_Z; ++j) {
            const int h = columnHeight(i, j);
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
    EXPECT_EQ(sum, 16646073);
}

TEST(TerrainHeights, FactorsAreDoubleCosAndSinOfTheNarrowedAngleNarrowed) {
    // A table computed in double. The single-precision functions differ from
    // it in the last bit for a few angles without changing any height today.
    const double pi = static_cast<double>(3.14159265358979323846f);
    const auto viaDouble = [](double (*f)(double), double angle) {
        return static_cast<float>(f(static_cast<double>(static_cast<float>(angle))));
    };
    const auto cosine = [](double x) { return std::cos(x); };
    const auto sine = [](double x) { return std::sin(x); };
    int differing = 0;
    for (int n = 0; n < WORLD_BLOCKS_X; ++n) {
        const double v = static_cast<float>(n);
        const ColumnFactors f = columnFactors(n, n);
        differing += f.cosA != viaDouble(cosine, v / 48 * pi);
        differing += f.cosB != viaDouble(cosine, v * 0.015625 * pi);
        differing += f.sinC != viaDouble(sine, v * 0.0078125 * pi);
        differing += f.sinD != viaDouble(sine, v * 0.015625 * pi);
    }
    EXPECT_EQ(differing, 0);
}

TEST(GeneratedWorld, EveryCellFollowsItsColumnAndTheGridIsComplete) {
    const World& world = sharedGeneratedWorld();

    // Column (0, 0), height 72, spelled out.
    EXPECT_EQ(worldBlock(world, 0, 0, 0), BLOCK_FLOOR);
    for (int k = 1; k <= 67; ++k) EXPECT_EQ(worldBlock(world, 0, k, 0), BLOCK_DEEP) << k;
    for (int k = 68; k <= 71; ++k) EXPECT_EQ(worldBlock(world, 0, k, 0), BLOCK_SUBSURFACE) << k;
    EXPECT_EQ(worldBlock(world, 0, 72, 0), BLOCK_SURFACE);
    for (int k = 73; k < 128; ++k) EXPECT_EQ(worldBlock(world, 0, k, 0), BLOCK_AIR) << k;

    long long solid = 0;
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
                        const int h = columnHeight(cx * 16 + x, cz * 16 + z);
                        for (int y = 0; y < 16; ++y) {
                            const int k = cy * 16 + y;
                            const BlockId expected = k == 0      ? BLOCK_FLOOR
                                                     : k < h - 4 ? BLOCK_DEEP
                                                     : k < h     ? BLOCK_SUBSURFACE
                                                     : k == h    ? BLOCK_SURFACE
                                                                 : BLOCK_AIR;
                            const int index = cellIndex(x, y, z);
                            ASSERT_EQ(chunk->blocks[index], expected)
                                << cx * 16 + x << " " << k << " " << cz * 16 + z;
                            ASSERT_EQ(chunk->light[index], k <= h ? 0x88 : 0xF8);
                            solid += expected != BLOCK_AIR;
                        }
                    }
                // Layers 6 and 7 lie wholly above the highest column: empty meshes.
                if (cy >= 6) {
                    EXPECT_EQ(chunk->mesh.positionCount, 0u);
                    EXPECT_EQ(chunk->mesh.colourCount, 0u);
                    EXPECT_EQ(chunk->mesh.texCoordCount, 0u);
                }
            }
    EXPECT_EQ(solid, 16908217);
}

}  // namespace
