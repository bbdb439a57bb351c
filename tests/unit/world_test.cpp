// Chunk grid lookups: slots, the walk across chunk borders, the world's outside,
// and the byte guard of setBlock.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>
#include <memory>

#include "tests/support/test_worlds.h"

namespace {

// Distinct, position-dependent contents so a read from the wrong cell shows.
BlockId patternBlock(int wx, int wy, int wz) { return static_cast<BlockId>(wx * 7 + wy * 13 + wz * 31 + 1); }
LightByte patternLight(int wx, int wy, int wz) { return static_cast<LightByte>(wx * 11 + wy * 5 + wz * 3); }

// The 3 x 3 x 3 block of chunks around (cx, cy, cz) that lie inside the grid,
// every cell holding its pattern.
TestWorld makePatternWorld(int cx, int cy, int cz) {
    TestWorld world = makeTestWorld(false);
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            for (int dz = -1; dz <= 1; ++dz) {
                if (!chunkCoordsInGrid(cx + dx, cy + dy, cz + dz)) continue;
                addAirChunk(*world, cx + dx, cy + dy, cz + dz);
                for (int x = 0; x < 16; ++x)
                    for (int y = 0; y < 16; ++y)
                        for (int z = 0; z < 16; ++z) {
                            const int wx = (cx + dx) * 16 + x, wy = (cy + dy) * 16 + y,
                                      wz = (cz + dz) * 16 + z;
                            setWorldBlock(*world, wx, wy, wz, patternBlock(wx, wy, wz));
                            setWorldLight(*world, wx, wy, wz, patternLight(wx, wy, wz));
                        }
            }
    return world;
}

TEST(WorldGrid, GetChunkFindsSlotsAndRefusesEverythingOutsideTheGrid) {
    TestWorld world = makeTestWorld(false);
    Chunk& last = addAirChunk(*world, 31, 7, 31);
    Chunk& some = addAirChunk(*world, 1, 2, 3);
    EXPECT_EQ(world->chunks[8191], &last);
    EXPECT_EQ(world->chunks[1 * 256 + 2 * 32 + 3], &some);
    EXPECT_EQ(getChunk(*world, 31, 7, 31), &last);
    EXPECT_EQ(getChunk(*world, 1, 2, 3), &some);
    EXPECT_EQ(getChunk(*world, 3, 2, 1), nullptr);  // empty slot

    // A grid whose every slot holds a chunk, so a missing range check would return one.
    std::unique_ptr<World> full(new World());
    std::fill(std::begin(full->chunks), std::end(full->chunks), &some);
    const int probes[] = {INT_MIN, -256, -1, 0, 7, 8, 31, 32, 255, 256, INT_MAX};
    for (int x : probes)
        for (int y : probes)
            for (int z : probes) {
                const bool inside = x >= 0 && x < 32 && y >= 0 && y < 8 && z >= 0 && z < 32;
                EXPECT_EQ(getChunk(*full, x, y, z) != nullptr, inside) << x << " " << y << " " << z;
            }
}

TEST(WorldGrid, LookupsWalkIntoEveryNeighbourChunkIncludingEdgesAndCorners) {
    TestWorld world = makePatternWorld(5, 3, 5);
    const Chunk& chunk = *getChunk(*world, 5, 3, 5);
    for (int x = -1; x <= 16; ++x)
        for (int y = -1; y <= 16; ++y)
            for (int z = -1; z <= 16; ++z) {
                const int wx = 80 + x, wy = 48 + y, wz = 80 + z;
                const LightByte light = patternLight(wx, wy, wz);
                ASSERT_EQ(getBlock(chunk, x, y, z), patternBlock(wx, wy, wz)) << x << " " << y << " " << z;
                ASSERT_EQ(getSkyLight(chunk, x, y, z), light >> 4) << x << " " << y << " " << z;
                ASSERT_EQ(getBlockLight(chunk, x, y, z), light & 15) << x << " " << y << " " << z;
            }
    // (16, -1, z): one step to chunk (6, 3, 5) at x = 0, then down to (6, 2, 5) at y = 15.
    EXPECT_EQ(getBlock(chunk, 16, -1, 4), patternBlock(96, 47, 84));
}

TEST(WorldGrid, OutsideTheWorldIsSolidAndDark) {
    // Chunks on the low and high corners of the grid, each with its pattern
    // neighbours; every coordinate that leaves the world answers DEEP and 0.
    TestWorld low = makePatternWorld(0, 0, 0);
    TestWorld high = makePatternWorld(31, 7, 31);
    const Chunk& a = *getChunk(*low, 0, 0, 0);
    const Chunk& b = *getChunk(*high, 31, 7, 31);
    for (int n : {INT_MIN, -100000, -17, -1}) {
        const int beyond = n == INT_MIN ? INT_MAX : 15 - n;  // 16, 32, 100015, INT_MAX
        for (int axis = 0; axis < 3; ++axis) {
            int lo[3] = {3, 3, 3}, hi[3] = {3, 3, 3};
            lo[axis] = n;
            hi[axis] = beyond;
            EXPECT_EQ(getBlock(a, lo[0], lo[1], lo[2]), BLOCK_DEEP) << n << " axis " << axis;
            EXPECT_EQ(getSkyLight(a, lo[0], lo[1], lo[2]), 0);
            EXPECT_EQ(getBlockLight(a, lo[0], lo[1], lo[2]), 0);
            EXPECT_EQ(getBlock(b, hi[0], hi[1], hi[2]), BLOCK_DEEP) << beyond << " axis " << axis;
            EXPECT_EQ(getSkyLight(b, hi[0], hi[1], hi[2]), 0);
            EXPECT_EQ(getBlockLight(b, hi[0], hi[1], hi[2]), 0);
        }
    }
    // Leaving on one axis after walking inside on another still ends outside.
    EXPECT_EQ(getBlock(a, 16, -1, 3), BLOCK_DEEP);
    EXPECT_EQ(getBlock(b, -1, 16, 3), BLOCK_DEEP);
    // Far coordinates towards the inside land on the neighbour's border cell.
    EXPECT_EQ(getBlock(a, INT_MAX, 3, 3), patternBlock(16, 3, 3));
    EXPECT_EQ(getBlock(b, 3, 3, INT_MIN), patternBlock(499, 115, 495));
    // A neighbour slot that holds no chunk reads as outside too.
    const Chunk& lone = addAirChunk(*low, 9, 4, 9, 0xFF);
    EXPECT_EQ(getBlock(lone, 16, 0, 0), BLOCK_DEEP);
    EXPECT_EQ(getSkyLight(lone, 0, -1, 0), 0);
}

TEST(WorldGrid, SetBlockWritesOnlyCellsWhoseThreeBytesAreInRange) {
    TestWorld world = makePatternWorld(5, 3, 5);
    Chunk& chunk = *getChunk(*world, 5, 3, 5);
    std::memset(chunk.reserved, 0x5A, sizeof chunk.reserved);
    const BlockId MARK = 200;
    for (int axis = 0; axis < 3; ++axis) {
        for (int v = 0; v < 256; ++v) {
            std::uint8_t c[3] = {4, 9, 2};
            c[axis] = static_cast<std::uint8_t>(v);
            setBlock(chunk, c[0], c[1], c[2], MARK);
        }
    }
    setBlock(chunk, static_cast<std::uint8_t>(-1), 0, 0, MARK);

    for (int x = -16; x < 32; ++x)
        for (int y = -16; y < 32; ++y)
            for (int z = -16; z < 32; ++z) {
                const int wx = 80 + x, wy = 48 + y, wz = 80 + z;
                const bool inChunk = x >= 0 && x < 16 && y >= 0 && y < 16 && z >= 0 && z < 16;
                const bool marked =
                    inChunk && ((y == 9 && z == 2) || (x == 4 && z == 2) || (x == 4 && y == 9));
                ASSERT_EQ(worldBlock(*world, wx, wy, wz), marked ? MARK : patternBlock(wx, wy, wz))
                    << x << " " << y << " " << z;
                ASSERT_EQ(worldLight(*world, wx, wy, wz), patternLight(wx, wy, wz));
            }
    for (std::uint8_t r : chunk.reserved) ASSERT_EQ(r, 0x5A);
}

}  // namespace
