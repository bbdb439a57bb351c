#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "player/editing.h"
#include "render/mesher.h"
#include "tests/support/test_worlds.h"
#include "world/terrain.h"

namespace {

// A player standing on the floor in block row z 25, looking level along +x.
Player lookingEast(World& world, float x) { return playerAt(x, 64.0f, 25 * 16 + 8.0f, 0.0f, LEVEL, &world); }

// Standing over block column (bx, bz) and looking down.
Player lookingDown(World& world, int bx, float feetY, int bz) {
    return playerAt(16.0f * bx + 8.0f, feetY, 16.0f * bz + 8.0f, 0.0f, PITCH_MAX, &world);
}

Player clicking(Player player, bool left, bool right) {
    player.leftClick = left;
    player.rightClick = right;
    return player;
}

struct WorldCopy {
    std::vector<BlockId> blocks;
    std::vector<LightByte> light;
    std::vector<const void*> meshArrays;  // a rebuild replaces them
};

WorldCopy copyOf(const World& world) {
    WorldCopy copy;
    for (const Chunk* chunk : world.chunks) {
        if (!chunk) continue;
        copy.blocks.insert(copy.blocks.end(), chunk->blocks, chunk->blocks + CHUNK_CELLS);
        copy.light.insert(copy.light.end(), chunk->light, chunk->light + CHUNK_CELLS);
        copy.meshArrays.push_back(chunk->mesh.positions);
    }
    return copy;
}

void expectUnchanged(const World& world, const WorldCopy& before) {
    const WorldCopy after = copyOf(world);
    EXPECT_TRUE(after.blocks == before.blocks) << "blocks changed";
    EXPECT_TRUE(after.light == before.light) << "light changed";
    EXPECT_TRUE(after.meshArrays == before.meshArrays) << "a mesh was rebuilt";
}

void meshAll(World& world) {
    for (Chunk* chunk : world.chunks)
        if (chunk) buildChunkMesh(*chunk);
}

// Every chunk's mesh must be what a fresh build from the current blocks gives.
void expectMeshesCurrent(World& world) {
    for (Chunk* chunk : world.chunks) {
        if (!chunk) continue;
        const MeshCopy shown = copyOf(chunk->mesh);
        buildChunkMesh(*chunk);
        EXPECT_TRUE(shown == copyOf(chunk->mesh))
            << "stale mesh in chunk " << chunk->cx << "," << chunk->cy << "," << chunk->cz;
    }
}

void expectBlock(const PickResult& pick, int x, int y, int z) {
    ASSERT_TRUE(pick.hit);
    EXPECT_EQ(pick.block.x, x);
    EXPECT_EQ(pick.block.y, y);
    EXPECT_EQ(pick.block.z, z);
}

TEST(PickRayTest, LookingDownFromTheLandedStartFindsTheSurfaceCell) {
    World& world = sharedGeneratedWorld();
    const int h = columnHeight(256, 256);
    const Player player = lookingDown(world, 256, 16.0f * (h + 1), 256);
    const PickResult pick = pickBlock(world, player);
    // The eye is 25 above the feet in the data's frame; the surface cell's top is at the feet.
    expectBlock(pick, 256, h, 256);
    EXPECT_EQ(pick.distance, 26.0f);
    EXPECT_EQ(pick.chunk.x, 16);
    EXPECT_EQ(pick.chunk.y, h / 16);
    EXPECT_EQ(pick.chunk.z, 16);
    EXPECT_EQ(pick.cell.x, 0);
    EXPECT_EQ(pick.cell.y, h % 16);
    EXPECT_EQ(pick.cell.z, 0);
    EXPECT_EQ(pick.hitChunk, getChunk(world, 16, h / 16, 16));
}

TEST(PickRayTest, SamplesRunFromEightToSeventyNine) {
    TestWorld world = makeFloorWorld();
    // Eye at x 504, in block 31: the block it stands in is never sampled.
    setWorldBlock(*world, 31, 5, 25, BLOCK_DEEP);
    setWorldBlock(*world, 33, 5, 25, BLOCK_DEEP);
    PickResult pick = pickBlock(*world, lookingEast(*world, 504.0f));
    expectBlock(pick, 33, 5, 25);
    EXPECT_EQ(pick.distance, 24.0f);
    setWorldBlock(*world, 32, 5, 25, BLOCK_TRANSLUCENT);
    pick = pickBlock(*world, lookingEast(*world, 504.0f));
    expectBlock(pick, 32, 5, 25);
    EXPECT_EQ(pick.distance, 8.0f);

    // Block 36 starts at x 576: from x 497 the last sample, 79, just reaches
    // it; from x 496 only a sample at 80 would.
    TestWorld far = makeFloorWorld();
    setWorldBlock(*far, 36, 5, 25, BLOCK_DEEP);
    EXPECT_FALSE(pickBlock(*far, lookingEast(*far, 496.0f)).hit);
    pick = pickBlock(*far, lookingEast(*far, 497.0f));
    expectBlock(pick, 36, 5, 25);
    EXPECT_EQ(pick.distance, 79.0f);
    EXPECT_EQ(pick.hitChunk, getChunk(*far, 2, 0, 1));
    EXPECT_EQ(pick.cell.x, 4);
    EXPECT_EQ(pick.cell.z, 9);
}

TEST(PickRayTest, NeitherMissingChunksNorPointsOutsideTheWorldStopTheRay) {
    TestWorld world = makeFloorWorld();
    EXPECT_FALSE(pickBlock(*world, lookingDown(*world, 25, 600.0f, 25)).hit);  // only missing chunks in reach
    Chunk*& slot = world->chunks[chunkSlot(1, 0, 1)];
    Chunk* const ground = slot;
    slot = nullptr;  // the chunk under the player goes missing
    EXPECT_FALSE(pickBlock(*world, lookingDown(*world, 25, 64.0f, 25)).hit);
    slot = ground;
    EXPECT_TRUE(pickBlock(*world, lookingDown(*world, 25, 64.0f, 25)).hit);

    // An eye outside the world looking in: samples outside are skipped, not the end.
    TestWorld edges = makeTestWorld(false);
    addAirChunk(*edges, 31, 0, 1);
    addAirChunk(*edges, 1, 7, 1);
    setWorldBlock(*edges, 511, 5, 25, BLOCK_DEEP);
    setWorldBlock(*edges, 25, 127, 25, BLOCK_DEEP);
    // Feet 8 past the high x face (8192) looking toward -x: sample 8 is at x 8192, outside.
    PickResult pick = pickBlock(*edges, playerAt(8200.0f, 64.0f, 408.0f, PI, LEVEL, edges.get()));
    expectBlock(pick, 511, 5, 25);
    EXPECT_EQ(pick.distance, 9.0f);
    // The eye 17 above the top (2048) looking down: samples 8 to 17 are above the world.
    pick = pickBlock(*edges, lookingDown(*edges, 25, 2040.0f, 25));
    expectBlock(pick, 25, 127, 25);
    EXPECT_EQ(pick.distance, 18.0f);
}

TEST(PickRayTest, PointsJustOutsideTheLowFacesAreHits) {
    TestWorld world = makeFloorWorld();
    // Looking toward -x from x 10: samples down to x -15 still truncate to the
    // real border block 0 (air here); x -16 is block -1, outside, solid.
    const Player west = playerAt(10.0f, 64.0f, 408.0f, PI, LEVEL, world.get());
    PickResult pick = pickBlock(*world, west);
    expectBlock(pick, -1, 5, 25);
    EXPECT_EQ(pick.distance, 26.0f);
    EXPECT_EQ(pick.chunk.x, 0);
    EXPECT_EQ(pick.cell.x, -1);
    EXPECT_EQ(pick.hitChunk, getChunk(*world, 0, 0, 1));

    // A removal there writes nothing and rebuilds only the border chunk.
    meshAll(*world);
    const WorldCopy before = copyOf(*world);
    const EditResult edit = applyEdit(*world, clicking(west, true, false), pick);
    EXPECT_TRUE(copyOf(*world).blocks == before.blocks);
    EXPECT_EQ(edit.rebuiltCount, 1);
    EXPECT_EQ(edit.rebuilt[0], getChunk(*world, 0, 0, 1));

    // The same below the world's floor.
    TestWorld open = makeTestWorld(false);
    addAirChunks(*open, 1, 1, 0, 0, 1, 1);
    pick = pickBlock(*open, lookingDown(*open, 20, -20.0f, 20));
    expectBlock(pick, 20, -1, 20);
    EXPECT_EQ(pick.cell.y, -1);
    EXPECT_EQ(pick.distance, 22.0f);
}

TEST(OutlineTest, BoxAroundTheDrawnCellTracedEdgeByEdge) {
    float v[OUTLINE_VERTICES * 3];
    outlineVertices({2, 3, -1}, v);
    // Cell (2, 3, -1) is drawn over x 32..48, y 32..48, z -16..0.
    const float lo[3] = {32.0f - 0.1f, 48.0f - 16.1f, -16.0f - 0.1f};
    const float hi[3] = {32.0f + 16.1f, 48.0f + 0.1f, -16.0f + 16.1f};
    int edgesAlong[3] = {0, 0, 0};
    bool seen[12] = {};
    for (int e = 0; e < 12; ++e) {
        const float* a = v + 6 * e;
        const float* b = a + 3;
        int differing = 0, axis = 0;
        for (int k = 0; k < 3; ++k) {
            ASSERT_TRUE(a[k] == lo[k] || a[k] == hi[k]) << "edge " << e << " axis " << k;
            ASSERT_TRUE(b[k] == lo[k] || b[k] == hi[k]) << "edge " << e << " axis " << k;
            if (a[k] != b[k]) ++differing, axis = k;
        }
        ASSERT_EQ(differing, 1) << "edge " << e << " is not a box edge";
        ++edgesAlong[axis];
        // Identify the edge by its axis and the two fixed coordinates.
        const int o1 = (axis + 1) % 3, o2 = (axis + 2) % 3;
        const int id = 4 * axis + 2 * (a[o1] == hi[o1]) + (a[o2] == hi[o2]);
        EXPECT_FALSE(seen[id]) << "edge " << e << " drawn twice";
        seen[id] = true;
        // Top face first, then the bottom face, then the uprights.
        const char* part = e < 4 ? "top" : e < 8 ? "bottom" : "upright";
        if (e < 8) {
            const float faceY = e < 4 ? hi[1] : lo[1];
            EXPECT_TRUE(a[1] == faceY && b[1] == faceY) << "edge " << e << " not on the " << part << " face";
        } else {
            EXPECT_EQ(axis, 1) << "edge " << e << " not an " << part;
        }
    }
    EXPECT_EQ(edgesAlong[0], 4);
    EXPECT_EQ(edgesAlong[1], 4);
    EXPECT_EQ(edgesAlong[2], 4);
    // The first edge runs from (xh, yh, zl) to (xl, yh, zl).
    const float first[6] = {hi[0], hi[1], lo[2], lo[0], hi[1], lo[2]};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(v[k], first[k]) << k;
}

TEST(EditTest, NothingHappensWithoutAClickOrAHit) {
    TestWorld world = makeFloorWorld();
    meshAll(*world);
    const WorldCopy before = copyOf(*world);
    const Player player = lookingDown(*world, 25, 64.0f, 25);
    const PickResult pick = pickBlock(*world, player);
    ASSERT_TRUE(pick.hit);
    EXPECT_EQ(applyEdit(*world, player, pick).outcome, EDIT_NONE);
    const Player sky = clicking(playerAt(400.0f, 64.0f, 400.0f, 0.0f, PITCH_MIN, world.get()), true, true);
    EXPECT_EQ(applyEdit(*world, sky, pickBlock(*world, sky)).outcome, EDIT_NONE);
    expectUnchanged(*world, before);
}

TEST(EditTest, RemovalWinsOverPlacementAndSparesTheFloorLayer) {
    TestWorld world = makeFloorWorld();
    meshAll(*world);
    const Player both = clicking(lookingDown(*world, 25, 64.0f, 25), true, true);
    PickResult pick = pickBlock(*world, both);
    expectBlock(pick, 25, 3, 25);
    EditResult edit = applyEdit(*world, both, pick);
    EXPECT_EQ(edit.outcome, EDIT_REMOVED);
    EXPECT_EQ(worldBlock(*world, 25, 3, 25), BLOCK_AIR);
    EXPECT_EQ(worldBlock(*world, 25, 4, 25), BLOCK_AIR);
    ASSERT_GE(edit.rebuiltCount, 1);
    EXPECT_EQ(edit.rebuilt[0], getChunk(*world, 1, 0, 1));

    // Dig down to the bottom layer, which stays.
    setWorldBlock(*world, 25, 0, 25, BLOCK_FLOOR);
    for (int row = 2; row >= 1; --row) {
        pick = pickBlock(*world, both);
        expectBlock(pick, 25, row, 25);
        EXPECT_EQ(applyEdit(*world, both, pick).outcome, EDIT_REMOVED);
    }
    pick = pickBlock(*world, both);
    expectBlock(pick, 25, 0, 25);
    const WorldCopy before = copyOf(*world);
    edit = applyEdit(*world, both, pick);
    EXPECT_EQ(edit.outcome, EDIT_REFUSED_FLOOR);
    EXPECT_EQ(edit.rebuiltCount, 0);
    expectUnchanged(*world, before);

    // The kind decides, not the layer: a block at the bottom of a chunk above
    // the first goes, a floor block elsewhere stays.
    setWorldBlock(*world, 10, 16, 10, BLOCK_DEEP);  // chunk layer 1, cell y 0
    setWorldBlock(*world, 12, 17, 12, BLOCK_FLOOR);
    const Player onDeep = clicking(lookingDown(*world, 10, 272.0f, 10), true, false);
    EXPECT_EQ(applyEdit(*world, onDeep, pickBlock(*world, onDeep)).outcome, EDIT_REMOVED);
    EXPECT_EQ(worldBlock(*world, 10, 16, 10), BLOCK_AIR);
    const Player onFloor = clicking(lookingDown(*world, 12, 288.0f, 12), true, false);
    EXPECT_EQ(applyEdit(*world, onFloor, pickBlock(*world, onFloor)).outcome, EDIT_REFUSED_FLOOR);
    EXPECT_EQ(worldBlock(*world, 12, 17, 12), BLOCK_FLOOR);
}

TEST(EditTest, PlacementGoesOneStepBackAlongTheRay) {
    TestWorld world = makeFloorWorld();
    meshAll(*world);
    setWorldBlock(*world, 36, 5, 25, BLOCK_SURFACE);
    const Player player = clicking(lookingEast(*world, 497.0f), false, true);
    const PickResult pick = pickBlock(*world, player);
    ASSERT_EQ(pick.distance, 79.0f);
    const EditResult edit = applyEdit(*world, player, pick);
    EXPECT_EQ(edit.outcome, EDIT_PLACED);
    // Sample 78 is at x 575, block 35: a DEEP block, in a cell away from any chunk face.
    EXPECT_EQ(worldBlock(*world, 35, 5, 25), PLACED_BLOCK);
    EXPECT_EQ(worldBlock(*world, 36, 5, 25), BLOCK_SURFACE);
    ASSERT_EQ(edit.rebuiltCount, 1);
    EXPECT_EQ(edit.rebuilt[0], getChunk(*world, 2, 0, 1));
    expectMeshesCurrent(*world);

    // Looking down at 45 degrees from x 104, sample 36 enters the floor at x
    // 129.5; sample 35 is just above it, in block (8, 4), while a point 16
    // units back would be in block 7.
    const Player slanted =
        clicking(playerAt(104.0f, 64.0f, 408.0f, 0.0f, 3 * PI / 4, world.get()), false, true);
    const PickResult floorHit = pickBlock(*world, slanted);
    expectBlock(floorHit, 8, 3, 25);
    EXPECT_EQ(floorHit.distance, 36.0f);
    EXPECT_EQ(applyEdit(*world, slanted, floorHit).outcome, EDIT_PLACED);
    EXPECT_EQ(worldBlock(*world, 8, 4, 25), PLACED_BLOCK);
}

TEST(EditTest, PlacementIntoTheBodyIsUndone) {
    TestWorld world = makeFloorWorld();
    meshAll(*world);
    // Looking down: the cell above the floor holds the feet point.
    const Player down = clicking(lookingDown(*world, 25, 64.0f, 25), false, true);
    WorldCopy before = copyOf(*world);
    EditResult edit = applyEdit(*world, down, pickBlock(*world, down));
    EXPECT_EQ(edit.outcome, EDIT_REFUSED_BODY);
    EXPECT_EQ(edit.rebuiltCount, 0);
    expectUnchanged(*world, before);

    // Looking level at a block right in front: sample 7 is in the head's cell.
    setWorldBlock(*world, 32, 5, 25, BLOCK_DEEP);
    const Player near = clicking(lookingEast(*world, 504.0f), false, true);
    const PickResult pick = pickBlock(*world, near);
    ASSERT_EQ(pick.distance, 8.0f);
    before = copyOf(*world);
    edit = applyEdit(*world, near, pick);
    EXPECT_EQ(edit.outcome, EDIT_REFUSED_BODY);
    expectUnchanged(*world, before);

    // One block further back the new block stands next to the player, and stays.
    const Player back = clicking(lookingEast(*world, 490.0f), false, true);
    edit = applyEdit(*world, back, pickBlock(*world, back));
    EXPECT_EQ(edit.outcome, EDIT_PLACED);
    EXPECT_EQ(worldBlock(*world, 31, 5, 25), PLACED_BLOCK);
    EXPECT_TRUE(isPointFree(back, 490.0f, 64.0f, 408.0f));
    EXPECT_TRUE(isPointFree(back, 490.0f, 88.0f, 408.0f));
}

TEST(EditTest, PlacementIntoAnOccupiedMissingOrOutsideCellIsRefused) {
    {
        // Hit at sample 8; sample 7 lands in the solid block the eye is in.
        TestWorld world = makeFloorWorld();
        setWorldBlock(*world, 31, 5, 25, BLOCK_TRANSLUCENT);
        setWorldBlock(*world, 32, 5, 25, BLOCK_DEEP);
        meshAll(*world);
        const WorldCopy before = copyOf(*world);
        const Player player = clicking(lookingEast(*world, 504.0f), false, true);
        const EditResult edit = applyEdit(*world, player, pickBlock(*world, player));
        EXPECT_EQ(edit.outcome, EDIT_REFUSED_OCCUPIED);
        EXPECT_EQ(edit.rebuiltCount, 0);
        expectUnchanged(*world, before);
    }
    {
        // The hit is in chunk (1, 0, 1); one step back is in chunk (0, 0, 1), which is missing.
        TestWorld world = makeTestWorld(false);
        addAirChunk(*world, 1, 0, 1);
        setWorldBlock(*world, 16, 5, 25, BLOCK_DEEP);
        meshAll(*world);
        const WorldCopy before = copyOf(*world);
        const Player player = clicking(lookingEast(*world, 240.0f), false, true);
        const PickResult pick = pickBlock(*world, player);
        expectBlock(pick, 16, 5, 25);
        const EditResult edit = applyEdit(*world, player, pick);
        EXPECT_EQ(edit.outcome, EDIT_REFUSED_OUTSIDE);
        EXPECT_EQ(edit.rebuiltCount, 0);
        expectUnchanged(*world, before);
    }
    {
        // A block in the world's top row, seen from above: one step back is above the world.
        TestWorld world = makeTestWorld(false);
        addAirChunk(*world, 1, 7, 1);
        setWorldBlock(*world, 25, 127, 25, BLOCK_DEEP);
        meshAll(*world);
        const WorldCopy before = copyOf(*world);
        const Player player = clicking(lookingDown(*world, 25, 2030.0f, 25), false, true);
        const PickResult pick = pickBlock(*world, player);
        expectBlock(pick, 25, 127, 25);
        EXPECT_EQ(pick.distance, 8.0f);
        const EditResult edit = applyEdit(*world, player, pick);
        EXPECT_EQ(edit.outcome, EDIT_REFUSED_OUTSIDE);
        expectUnchanged(*world, before);
    }
}

TEST(EditTest, EditsRebuildEveryChunkSharingAFaceWithTheCell) {
    // A 3 x 3 slab of solid chunks with air chunks above, every mesh built.
    TestWorld world = makeTestWorld(false);
    addAirChunks(*world, 0, 2, 0, 1, 0, 2);
    for (int wx = 0; wx < 48; ++wx)
        for (int wz = 0; wz < 48; ++wz)
            for (int wy = 0; wy < 16; ++wy) setWorldBlock(*world, wx, wy, wz, wy ? BLOCK_DEEP : BLOCK_FLOOR);
    // Light that differs cell by cell, so a rewrite would show.
    for (Chunk* chunk : world->chunks)
        if (chunk)
            for (int i = 0; i < CHUNK_CELLS; ++i) chunk->light[i] = static_cast<LightByte>(i * 7 + chunk->cx);
    meshAll(*world);
    const std::vector<LightByte> light = copyOf(*world).light;

    struct Chunk3 {
        int x, y, z;
    };
    struct Step {
        int bx, bz;  // column looked down on
        bool place;
        int hitY;
        std::vector<Chunk3> rebuilt;  // edited chunk first
    };
    const Step steps[] = {
        {31, 31, false, 15, {{1, 0, 1}, {2, 0, 1}, {1, 1, 1}, {1, 0, 2}}},  // a high corner: three neighbours
        {31, 31, false, 14, {{1, 0, 1}, {2, 0, 1}, {1, 0, 2}}},             // an edge below it
        {31, 31, true, 13, {{1, 0, 1}, {2, 0, 1}, {1, 0, 2}}},              // and a block put back there
        {16, 16, false, 15, {{1, 0, 1}, {0, 0, 1}, {1, 1, 1}, {1, 0, 0}}},  // a low corner
        {24, 24, false, 15, {{1, 0, 1}, {1, 1, 1}}},                        // the top face only
        {24, 24, false, 14, {{1, 0, 1}}},                                   // inside the chunk
        {47, 40, false, 15, {{2, 0, 2}, {2, 1, 2}}},                        // no chunk beyond x 47
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "column " << s.bx << "," << s.bz << " row " << s.hitY);
        const Player player = clicking(lookingDown(*world, s.bx, 256.0f, s.bz), !s.place, s.place);
        const PickResult pick = pickBlock(*world, player);
        expectBlock(pick, s.bx, s.hitY, s.bz);
        const EditResult edit = applyEdit(*world, player, pick);
        EXPECT_EQ(edit.outcome, s.place ? EDIT_PLACED : EDIT_REMOVED);
        const int editedY = s.place ? s.hitY + 1 : s.hitY;
        EXPECT_EQ(worldBlock(*world, s.bx, editedY, s.bz), s.place ? PLACED_BLOCK : BLOCK_AIR);
        ASSERT_EQ(edit.rebuiltCount, static_cast<int>(s.rebuilt.size()));
        EXPECT_EQ(edit.rebuilt[0], getChunk(*world, s.rebuilt[0].x, s.rebuilt[0].y, s.rebuilt[0].z));
        for (std::size_t i = 1; i < s.rebuilt.size(); ++i) {
            const Chunk* want = getChunk(*world, s.rebuilt[i].x, s.rebuilt[i].y, s.rebuilt[i].z);
            EXPECT_NE(std::find(edit.rebuilt + 1, edit.rebuilt + edit.rebuiltCount, want),
                      edit.rebuilt + edit.rebuiltCount)
                << "neighbour " << s.rebuilt[i].x << "," << s.rebuilt[i].y << "," << s.rebuilt[i].z;
        }
        // No hole and no stale face anywhere.
        expectMeshesCurrent(*world);
    }
    EXPECT_TRUE(copyOf(*world).light == light);
}

}  // namespace
