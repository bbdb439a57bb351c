// Chunks and parts the ground hides: a hand-built strip along +x, the eye at
// x = 128, z = 100, drawn height 100, looking along it (a hundredth of a
// radian off, so that the rows of pixels do not run along the grid); a ridge
// in chunk column 1 (solid rows 0..9, drawn top 144) and a block on the ground
// of chunk column 3. Worked by hand: no line of sight passes under a ridge
// tile's slope 44 / (its farthest corner): 44 / 274.83 = 0.1601 for the near
// one at z 0..128, which fills azimuths -0.663..0.215 rad, 44 / 299.79 =
// 0.1468 for the near one at z 128..256 (0.109..0.884), 44 / 414.48 = 0.1062
// for the far one there (0.073..0.547), 44 / 396.85 = 0.1109 for the far one
// at z 0..128 (-0.372..0.109). The block's chunk spans -0.155..0.239 and is
// 640 away: with the block in row 12 (faces up to 192, slope 0.1438) it
// hides whole. The block's column of parts (x 896..960, z 128..192:
// 0.034..0.119, 768.5 away) lies behind the first tile: its part 3, the
// block's, hides with the block in row 13 (slope 0.1405) and shows in row 14
// (224, 0.1614), while its part 0, the ground's (up to 48), hides.

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

// The target chunk's hidden parts.
std::uint64_t targetHidden(const World& world, EyePoint eye = EYE) {
    const FrustumPlanes frustum = frustumFor(playerAt(eye.x, eye.y - CAMERA_EYE_HEIGHT, eye.z, 0.01f, LEVEL));
    static HiddenChunks hidden;
    findHiddenChunks(world, eye, frustum, hidden);
    return hidden.parts[TARGET];
}

constexpr std::uint64_t partOfBlockColumn(int py) { return std::uint64_t{1} << (2 + 4 * py + 16 * 2); }

TEST(HorizonTest, AChunkAndAPartShowOnlyWhenTheirFacesRiseOverTheRidge) {
    EXPECT_EQ(targetHidden(*stripWithRidge(12)), EVERY_PART);
    EXPECT_NE(targetHidden(*stripWithRidge(13)) & partOfBlockColumn(3), 0u);
    const std::uint64_t row14 = targetHidden(*stripWithRidge(14));
    EXPECT_EQ(row14 & partOfBlockColumn(3), 0u);
    EXPECT_NE(row14 & partOfBlockColumn(0), 0u);
    // From inside solid ground nothing is taken as hidden.
    EXPECT_EQ(targetHidden(*stripWithRidge(12), {384, 100, 100}), 0u);
}

TEST(HorizonTest, DiggingIntoTheRidgeOpensTheViewInTheSameEdit) {
    TestWorld world = stripWithRidge(13);
    // Standing on the ridge, looking straight down: one block out of its near
    // tile at z 0..128 lowers that tile to 9 rows (top 128, slope 0.1019); the
    // far tiles then stand highest in front of the block's part, at 0.1109.
    Player digger = playerAt(300, 160, 72, 0, PITCH_MAX, world.get());
    digger.leftClick = true;
    ASSERT_EQ(applyEdit(*world, digger, pickBlock(*world, digger)).outcome, EDIT_REMOVED);
    EXPECT_EQ(targetHidden(*world) & partOfBlockColumn(3), 0u);
}

}  // namespace
