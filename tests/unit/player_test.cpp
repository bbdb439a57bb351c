#include "player/player.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/test_worlds.h"
#include "world/terrain.h"

namespace {

constexpr float FLOOR_TOP = 64.0f;  // the hand-built floor fills block rows 0..3

PlayerInput idle(bool focused = true) {
    PlayerInput input = {};
    input.focused = focused;
    return input;
}

PlayerInput forward() {
    PlayerInput input = idle();
    input.forward = true;
    return input;
}

Player standing(World& world, float x, float z, float yaw = 0.0f) {
    return playerAt(x, FLOOR_TOP, z, yaw, LEVEL, &world);
}

void steps(Player& player, const PlayerInput& input, int count) {
    for (int i = 0; i < count; ++i) stepPlayer(player, input);
}

// Steps with no input until the feet have not moved for a few frames.
int fallToRest(Player& player, int limit = 2000) {
    int still = 0;
    for (int frame = 1; frame <= limit; ++frame) {
        const float before = player.position.y;
        stepPlayer(player, idle());
        still = player.position.y == before ? still + 1 : 0;
        if (still == 3) return frame;
    }
    return -1;
}

TEST(PlayerPointTest, OnlyAirIsFreeInsideTheWorldAndEverythingOutside) {
    TestWorld world = makeFloorWorld();
    const Player player = createPlayer(world.get(), 0, 0, 0);
    EXPECT_FALSE(isPointFree(player, 100.0f, 63.9f, 100.0f));
    EXPECT_TRUE(isPointFree(player, 100.0f, 64.0f, 100.0f));  // a block's top face belongs to the cell above
    setWorldBlock(*world, 6, 4, 6, BLOCK_TRANSLUCENT);
    setWorldBlock(*world, 7, 4, 6, BLOCK_FLOOR);
    EXPECT_FALSE(isPointFree(player, 96.0f, 64.0f, 96.0f));
    EXPECT_FALSE(isPointFree(player, 127.9f, 79.9f, 111.9f));
    EXPECT_TRUE(isPointFree(player, 128.0f, 70.0f, 100.0f));
    // Across a chunk border the cell is found in the next chunk.
    setWorldBlock(*world, 16, 20, 31, BLOCK_DEEP);
    EXPECT_FALSE(isPointFree(player, 256.0f, 320.5f, 511.5f));
    EXPECT_TRUE(isPointFree(player, 255.9f, 320.5f, 511.5f));

    // Outside the world (floor, not truncation, below 0), in missing chunks, or nowhere at all: free.
    setWorldBlock(*world, 0, 4, 0, BLOCK_DEEP);
    EXPECT_FALSE(isPointFree(player, 0.0f, 64.0f, 0.0f));
    EXPECT_TRUE(isPointFree(player, -0.5f, 64.0f, 0.0f));
    EXPECT_TRUE(isPointFree(player, 0.0f, -0.5f, 0.0f));
    EXPECT_TRUE(isPointFree(player, 8192.0f, 10.0f, 10.0f));
    EXPECT_TRUE(isPointFree(player, 10.0f, 2048.0f, 10.0f));
    EXPECT_TRUE(isPointFree(player, 10.0f, 10.0f, 8192.0f));
    EXPECT_TRUE(isPointFree(player, 800.0f, 10.0f, 10.0f));  // chunk (3, 0, 0) was never added
    EXPECT_TRUE(isPointFree(player, std::nanf(""), 10.0f, 10.0f));
    EXPECT_TRUE(isPointFree(player, 1e30f, -1e30f, 10.0f));
    EXPECT_TRUE(isPointFree(createPlayer(nullptr, 0, 0, 0), 10.0f, 10.0f, 10.0f));
}

TEST(PlayerFallTest, FirstFallRestsOnTheSurfaceBelowTheStartAtItsKnownFrame) {
    Player player = createPlayer(&sharedGeneratedWorld(), 4096.0f, 2048.0f, 4096.0f);
    EXPECT_EQ(player.pitch, 0.0f);
    stepPlayer(player, idle());
    // The start is on the world's top boundary, outside, so it falls at once,
    // and the view is clamped off the pole.
    EXPECT_FLOAT_EQ(player.position.y, 2048.0f - PLAYER_GRAVITY);
    EXPECT_EQ(player.pitch, PITCH_MIN);

    const float surfaceTop = 16.0f * static_cast<float>(columnHeight(256, 256) + 1);
    int frame = 1;  // the landing's known frame: it moves only with gravity, deliberately
    for (; player.position.y != surfaceTop && frame < 1000; ++frame) stepPlayer(player, idle());
    EXPECT_EQ(frame, 99);
    EXPECT_EQ(player.position.x, 4096.0f);
    EXPECT_EQ(player.position.z, 4096.0f);
    for (int frame = 0; frame < 120; ++frame) {
        stepPlayer(player, idle());
        ASSERT_EQ(player.position.y, surfaceTop) << frame;
        ASSERT_EQ(player.velocity.y, 0.0f) << frame;
    }
}

TEST(PlayerFallTest, FastFallsNeverEndInsideTerrain) {
    // Many columns, several heights and speeds up to more than a chunk per
    // frame: every column is solid from the floor to its surface, so the feet
    // must always end exactly on the surface.
    World& world = sharedGeneratedWorld();
    const float startSpeeds[] = {0.0f, -16.0f, -40.0f, -300.0f};
    for (int i = 3; i < WORLD_BLOCKS_X; i += 37)
        for (int j = 5; j < WORLD_BLOCKS_Z; j += 41) {
            const float top = 16.0f * static_cast<float>(columnHeight(i, j) + 1);
            for (float above : {0.5f, 17.0f, 300.0f, 2048.0f - top})
                for (float speed : startSpeeds) {
                    Player player = createPlayer(&world, 16.0f * i + 3.0f, top + above, 16.0f * j + 11.0f);
                    player.velocity.y = speed;
                    ASSERT_GT(fallToRest(player), 0);
                    ASSERT_EQ(player.position.y, top)
                        << "column " << i << "," << j << " from " << above << " above at " << speed;
                }
        }
}

TEST(PlayerFallTest, AnyPositionAndSpeedEndsTheFrameOutsideTheTerrain) {
    World& world = sharedGeneratedWorld();
    const float top = 16.0f * static_cast<float>(columnHeight(256, 256) + 1);
    const float inf = INFINITY, nan = NAN;
    struct Case {
        float x, y, vy;
        bool lands;  // on the surface of column (256, 256) in the first frame
    };
    const Case cases[] = {
        {4096.0f, 2000.0f, -inf, true}, {4096.0f, 1e30f, -1e31f, true},   {4096.0f, 1e30f, -inf, true},
        {4096.0f, 4e8f, -8e8f, true},   {4096.0f, -3e8f, -20.0f, false},  {4096.0f, -inf, -20.0f, false},
        {4096.0f, inf, -20.0f, false},  {4096.0f, inf, -inf, false},      {4096.0f, nan, -20.0f, false},
        {4096.0f, 2000.0f, nan, false}, {nan, 2000.0f, -inf, false},      {inf, 2000.0f, -1e31f, false},
        {4096.0f, 3e38f, -inf, true},   {4096.0f, -3e38f, -3e38f, false},
    };
    for (const Case& c : cases) {
        Player player = createPlayer(&world, c.x, c.y, 4096.0f);
        player.velocity.y = c.vy;
        for (int frame = 0; frame < 3; ++frame) {
            stepPlayer(player, idle());
            const Vec3f& p = player.position;
            ASSERT_TRUE(isPointFree(player, p.x, p.y, p.z)) << c.x << " " << c.y << " " << c.vy;
            if (c.lands && frame == 0) {
                EXPECT_EQ(p.y, top) << c.y << " " << c.vy;
            }
        }
    }
}

TEST(PlayerFallTest, LandingSnapsToTheCellTopAndCanJumpAtOnce) {
    TestWorld world = makeFloorWorld();
    // Slow: the probe's cell top, 16 * ceil((y + vy) / 16).
    Player player = createPlayer(world.get(), 100.0f, 70.0f, 100.0f);
    player.velocity.y = -15.0f;
    stepPlayer(player, idle());
    EXPECT_EQ(player.position.y, FLOOR_TOP);
    EXPECT_EQ(player.velocity.y, 0.0f);

    // Fast through a one-block platform and the floor below: the highest
    // solid cell crossed wins.
    setWorldBlock(*world, 6, 10, 6, BLOCK_DEEP);  // platform top at 176
    player = createPlayer(world.get(), 100.0f, 200.0f, 100.0f);
    player.velocity.y = -150.0f;
    stepPlayer(player, idle());
    EXPECT_EQ(player.position.y, 176.0f);
    EXPECT_TRUE(isPointFree(player, 100.0f, 176.0f, 100.0f));

    // Falling 15.83 to 15.99 a frame from 80 would end just above the floor, but
    // gravity makes it 16.01 to 16.17, into the floor's top row: it lands on it.
    for (float speed : {-15.83f, -15.9f, -15.99f}) {
        player = createPlayer(world.get(), 100.0f, 80.0f, 100.0f);
        player.velocity.y = speed;
        stepPlayer(player, idle());
        EXPECT_EQ(player.position.y, FLOOR_TOP) << speed;
    }

    // Landing with Space held starts the jump in the same frame.
    player = createPlayer(world.get(), 300.0f, 66.0f, 300.0f);
    player.velocity.y = -3.0f;
    PlayerInput jump = idle();
    jump.jump = true;
    stepPlayer(player, jump);
    EXPECT_EQ(player.position.y, FLOOR_TOP + PLAYER_JUMP_SPEED);
    EXPECT_EQ(player.velocity.y, PLAYER_JUMP_SPEED);
}

TEST(PlayerFallTest, StandingIsStableAndAJumpPeaksAtItsKnownHeight) {
    TestWorld world = makeFloorWorld();
    Player player = standing(*world, 200.0f, 200.0f);
    for (int frame = 0; frame < 100; ++frame) {
        stepPlayer(player, idle());
        ASSERT_EQ(player.position.y, FLOOR_TOP);
        ASSERT_EQ(player.velocity.y, 0.0f);
    }

    PlayerInput jump = idle();
    jump.jump = true;
    stepPlayer(player, jump);
    EXPECT_EQ(player.position.y, FLOOR_TOP + PLAYER_JUMP_SPEED);
    float peak = player.position.y;
    int frames = 1;
    for (;;) {
        const float vy = player.velocity.y;
        stepPlayer(player, jump);
        ++frames;
        if (player.velocity.y == PLAYER_JUMP_SPEED) break;  // back on the floor, Space still held
        ASSERT_LT(player.velocity.y, vy) << "Space held in the air must not jump again";
        ASSERT_GT(player.position.y, FLOOR_TOP);
        ASSERT_LT(frames, 100);
        peak = std::fmax(peak, player.position.y);
    }
    // The jump's known peak, a little over one block: 2.5 + 2.32 + ... + 0.16; 29 frames
    // in the air: 14 rising, 15 falling at 0.02, 0.2, ..., 2.54 (the last one lands).
    // Both move only with the jump speed or gravity, deliberately.
    EXPECT_NEAR(peak - FLOOR_TOP, 18.62f, 0.01f);
    EXPECT_GE(frames, 28);
    EXPECT_LE(frames, 32);
    ASSERT_GT(fallToRest(player), 0);
    EXPECT_EQ(player.position.y, FLOOR_TOP);
}

TEST(PlayerWalkTest, KeysMoveAlongTheHeading) {
    TestWorld world = makeFloorWorld();
    struct Case {
        bool w, s, a, d;
        float dx, dz;
    };
    // Heading 0 faces +x; right of it is +z.
    const float s = PLAYER_WALK_STEP;
    const Case cases[] = {
        {true, false, false, false, s, 0.0f},   {false, true, false, false, -s, 0.0f},
        {false, false, true, false, 0.0f, -s},  {false, false, false, true, 0.0f, s},
        {true, true, false, false, 0.0f, 0.0f}, {true, false, true, false, s, -s},
        {false, false, true, true, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        Player player = standing(*world, 400.0f, 400.0f);
        PlayerInput input = idle();
        input.forward = c.w;
        input.backward = c.s;
        input.left = c.a;
        input.right = c.d;
        stepPlayer(player, input);
        EXPECT_NEAR(player.position.x - 400.0f, c.dx, 1e-4f) << c.w << c.s << c.a << c.d;
        EXPECT_NEAR(player.position.z - 400.0f, c.dz, 1e-4f) << c.w << c.s << c.a << c.d;
        EXPECT_EQ(player.position.y, FLOOR_TOP);
    }
    // Yaw increases toward +z: a quarter turn walks along +z.
    Player player = standing(*world, 400.0f, 400.0f, 1.5707964f);
    steps(player, forward(), 10);
    EXPECT_NEAR(player.position.x, 400.0f, 1e-3f);
    EXPECT_NEAR(player.position.z, 400.0f + 10 * s, 1e-3f);
}

TEST(PlayerWalkTest, OneBlockStepBlocksWalkingButCanBeClimbed) {
    TestWorld world = makeFloorWorld();
    // A raised plateau from block column 30 (x 480) on, one block high.
    for (int wx = 30; wx < 48; ++wx)
        for (int wz = 0; wz < 48; ++wz) setWorldBlock(*world, wx, 4, wz, BLOCK_DEEP);
    Player player = standing(*world, 460.0f, 400.0f);
    steps(player, forward(), 30);
    EXPECT_LT(player.position.x, 480.0f);
    EXPECT_GT(player.position.x, 477.0f);
    EXPECT_EQ(player.position.y, FLOOR_TOP);

    PlayerInput climb = forward();
    climb.jump = true;
    steps(player, climb, 12);
    steps(player, forward(), 20);
    EXPECT_GT(player.position.x, 490.0f);
    ASSERT_GT(fallToRest(player), 0);
    EXPECT_EQ(player.position.y, FLOOR_TOP + 16.0f);
}

TEST(PlayerWalkTest, PassingNeedsTheFeetCellAndTheHeadCellOpen) {
    for (int gap : {1, 2}) {
        TestWorld world = makeFloorWorld();
        // A wall at block column 30, rows 4..8, with a gap `gap` rows high in row z 25.
        for (int wz = 0; wz < 48; ++wz)
            for (int wy = 4; wy < 9; ++wy)
                if (wz != 25 || wy >= 4 + gap) setWorldBlock(*world, 30, wy, wz, BLOCK_DEEP);
        Player player = standing(*world, 460.0f, 25 * 16 + 8.0f);
        steps(player, forward(), 40);
        if (gap == 2) {
            EXPECT_GT(player.position.x, 496.0f) << "a two-block gap lets the body through";
        } else {
            EXPECT_LT(player.position.x, 480.0f) << "the head point stops at a one-block gap";
        }
    }
}

TEST(PlayerWalkTest, WallsAtHeadHeightStopOneAxisAndLetTheOtherSlide) {
    for (bool alongZ : {false, true}) {
        TestWorld world = makeFloorWorld();
        // A beam across the way at block 30, in the row that holds the head point only.
        for (int w = 0; w < 48; ++w)
            setWorldBlock(*world, alongZ ? w : 30, 5, alongZ ? 30 : w, BLOCK_TRANSLUCENT);
        Player player = standing(*world, alongZ ? 300.0f : 470.0f, alongZ ? 470.0f : 300.0f, PI / 4.0f);
        steps(player, forward(), 20);
        const float blocked = alongZ ? player.position.z : player.position.x;
        const float sliding = alongZ ? player.position.x : player.position.z;
        EXPECT_LT(blocked, 480.0f) << "along z: " << alongZ;
        EXPECT_GT(blocked, 478.0f) << "along z: " << alongZ;
        // The other axis keeps gaining a step times sin(pi / 4) a frame along the beam.
        EXPECT_NEAR(sliding, 300.0f + 20 * PLAYER_WALK_STEP * std::sqrt(0.5f), 0.01f)
            << "along z: " << alongZ;
    }
}

TEST(PlayerWalkTest, WalkingOffTheWorldsEdgeFallsForEver) {
    TestWorld world = makeFloorWorld();
    Player player = standing(*world, 8.0f, 100.0f, PI);
    steps(player, forward(), 10);
    EXPECT_LT(player.position.x, 0.0f);
    // Half an hour of frames: far past the depth where a step of 16 no longer
    // changes a float, every frame still ends and the feet keep going down.
    constexpr float FRAMES = 30 * 60 * 60;
    for (int frame = 0; frame < FRAMES; ++frame) {
        const float before = player.position.y;
        stepPlayer(player, idle());
        ASSERT_LT(player.position.y, before) << frame;
    }
    // About gravity times n^2 / 2 down after n frames, at gravity times n a frame.
    EXPECT_LT(player.position.y, -0.4f * PLAYER_GRAVITY * FRAMES * FRAMES);
    EXPECT_LT(player.velocity.y, -0.9f * PLAYER_GRAVITY * FRAMES);
}

TEST(PlayerLookTest, MouseMotionTurnsAndTiltsAtTheKnownRate) {
    // The game's known look rate: 500 pixels of motion for one radian.
    Player player = playerAt(0, 3000.0f, 0, 0, 1.5f);
    PlayerInput input = idle();
    input.cursorDx = 50;  // right: turn right (yaw up)
    input.cursorDy = 25;  // down: look down (pitch up)
    stepPlayer(player, input);
    EXPECT_NEAR(player.yaw, 0.1f, 1e-6f);
    EXPECT_NEAR(player.pitch, 1.55f, 1e-6f);
    input.cursorDx = -100;
    input.cursorDy = -50;
    stepPlayer(player, input);
    EXPECT_NEAR(player.yaw, -0.1f, 1e-6f);
    EXPECT_NEAR(player.pitch, 1.45f, 1e-6f);
    // Yaw is never wrapped.
    input.cursorDx = 5000;
    input.cursorDy = 0;
    steps(player, input, 10);
    EXPECT_NEAR(player.yaw, 99.9f, 1e-4f);
}

TEST(PlayerLookTest, PitchIsClampedAtBothEnds) {
    Player player = createPlayer(nullptr, 0, 3000.0f, 0);
    PlayerInput input = idle();
    input.cursorDy = 10000;
    stepPlayer(player, input);
    EXPECT_EQ(player.pitch, PITCH_MAX);
    EXPECT_NEAR(player.pitch, 3.14159265 - 0.001, 1e-6);
    input.cursorDy = -10000;
    stepPlayer(player, input);
    EXPECT_EQ(player.pitch, PITCH_MIN);
    // Without focus the look is frozen, but the clamp still runs.
    player.pitch = -2.0f;
    stepPlayer(player, idle(false));
    EXPECT_EQ(player.pitch, PITCH_MIN);
    player.pitch = 4.0f;
    stepPlayer(player, idle(false));
    EXPECT_EQ(player.pitch, PITCH_MAX);
}

TEST(PlayerFocusTest, WithoutFocusOnlyClicksGravityAndTheClampRun) {
    TestWorld world = makeFloorWorld();
    PlayerInput input = idle(false);
    input.forward = input.right = input.jump = true;
    input.cursorDx = input.cursorDy = 200;
    input.leftButton = true;

    Player player = standing(*world, 300.0f, 300.0f, 0.5f);
    stepPlayer(player, input);
    EXPECT_EQ(player.position.x, 300.0f);
    EXPECT_EQ(player.position.z, 300.0f);
    EXPECT_EQ(player.position.y, FLOOR_TOP);  // no jump
    EXPECT_EQ(player.yaw, 0.5f);
    EXPECT_EQ(player.pitch, LEVEL);
    EXPECT_TRUE(player.leftClick);
    EXPECT_FALSE(player.rightClick);

    Player airborne = createPlayer(world.get(), 300.0f, 500.0f, 300.0f);
    stepPlayer(airborne, input);
    EXPECT_FLOAT_EQ(airborne.position.y, 500.0f - PLAYER_GRAVITY);
}

TEST(PlayerFocusTest, ClicksLastOneFramePerPress) {
    Player player = createPlayer(nullptr, 0, 3000.0f, 0);
    PlayerInput input = idle();
    input.leftButton = input.rightButton = true;
    stepPlayer(player, input);
    EXPECT_TRUE(player.leftClick);
    EXPECT_TRUE(player.rightClick);
    stepPlayer(player, input);
    EXPECT_FALSE(player.leftClick);
    EXPECT_FALSE(player.rightClick);
    input.leftButton = false;
    stepPlayer(player, input);
    EXPECT_FALSE(player.leftClick);
    EXPECT_TRUE(player.rightHeld);
    input.leftButton = true;
    stepPlayer(player, input);
    EXPECT_TRUE(player.leftClick);
    EXPECT_FALSE(player.rightClick);
}

}  // namespace
