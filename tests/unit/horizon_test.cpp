// Chunks the ground hides: a hand-built strip along +x, the eye at x = 128,
// z = 100, drawn height 100, looking along it; a ridge in chunk column 1
// (solid rows 0..9, drawn top 144) and a block on the ground of chunk column 3.
// Worked by hand: the block's chunk spans azimuths -8.9 to 13.7 degrees, and
// the ridge (-38 to 50.6) stands wholly in front of it: no line of sight over
// the ridge passes under the slope 44 / 414.48 (its farthest corner) = 0.1062.
// The chunk is 640 away, so a block in row 10 (faces up to 160, slope 0.094)
// hides behind the ridge and one in row 11 (176, slope 0.119) shows over it.

#include "render/horizon.h"

#include <gtest/gtest.h>

#include "player/editing.h"
#include "player/tuning.h"
#include "render/mesher.h"
#include "tests/support/camera_matrices.h"
#include "tests/support/test_worlds.h"
#include "world/ground.h"

namespace {

constexpr EyePoint EYE = {128, 100, 100};
constexpr int TARGET = chunkSlot(3, 0, 0);

TestWorld stripWithRidge(int blockRow) {
    TestWorld world = makeTestWorld(true);
    for (int x = 0; x < 64; ++x)
        for (int z = 0; z < 16; ++z)
            for (int y = 0; y < (x / 16 == 1 ? 10 : 4); ++y) setWorldBlock(*world, x, y, z, BLOCK_DEEP);
    setWorldBlock(*world, 56, blockRow, 8, BLOCK_DEEP);
    measureGround(*world);
    for (int cx = 0; cx < 4; ++cx) buildChunkMesh(*getChunk(*world, cx, 0, 0));
    return world;
}

bool targetHidden(const World& world, EyePoint eye = EYE) {
    const FrustumPlanes frustum = frustumFor(playerAt(eye.x, eye.y - CAMERA_EYE_HEIGHT, eye.z, 0, LEVEL));
    HiddenChunks hidden;
    findHiddenChunks(world, eye, frustum, hidden);
    return chunkHidden(hidden, TARGET);
}

TEST(HorizonTest, AChunkShowsOnlyWhenItsFacesRiseOverTheRidge) {
    EXPECT_TRUE(targetHidden(*stripWithRidge(10)));
    EXPECT_FALSE(targetHidden(*stripWithRidge(11)));
    // From inside solid ground nothing is taken as hidden.
    EXPECT_FALSE(targetHidden(*stripWithRidge(10), {384, 100, 100}));
}

TEST(HorizonTest, DiggingIntoTheRidgeOpensTheViewInTheSameEdit) {
    TestWorld world = stripWithRidge(10);
    // Standing on the ridge, looking straight down: one block out of it lowers
    // the ridge's least column to 9 rows (top 128, slope 0.068).
    Player digger = playerAt(300, 160, 200, 0, PITCH_MAX, world.get());
    digger.leftClick = true;
    ASSERT_EQ(applyEdit(*world, digger, pickBlock(*world, digger)).outcome, EDIT_REMOVED);
    EXPECT_FALSE(targetHidden(*world));
}

}  // namespace
