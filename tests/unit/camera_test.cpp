#include "player/camera.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/test_worlds.h"

namespace {

Vec3d lookDirection(const CameraView& view) {
    return {view.target.x - view.eye.x, view.target.y - view.eye.y, view.target.z - view.eye.z};
}

TEST(CameraViewTest, StartStateLooksAlmostStraightUpFromNineAboveTheFeet) {
    const CameraView view = cameraView(playerAt(4096.0f, 2048.0f, 4096.0f, 0.0f, PITCH_MIN), false);
    EXPECT_EQ(view.eye.x, 4096.0);
    EXPECT_EQ(view.eye.y, 2057.0);
    EXPECT_EQ(view.eye.z, 4096.0);
    const Vec3d d = lookDirection(view);
    EXPECT_NEAR(d.x, 0.001, 1e-6);
    EXPECT_NEAR(d.y, 1.0, 1e-6);
    EXPECT_EQ(d.z, 0.0);
    EXPECT_EQ(view.up.x, 0.0);
    EXPECT_EQ(view.up.y, 1.0);
    EXPECT_EQ(view.up.z, 0.0);
}

TEST(CameraViewTest, TargetIsOneUnitAlongTheViewDirection) {
    struct Case {
        float yaw, pitch;
        double x, y, z;  // expected direction
    };
    const Case cases[] = {
        {0.0f, 1.5707964f, 1, 0, 0},        // level, facing +x
        {1.5707964f, 1.5707964f, 0, 0, 1},  // yaw increases toward +z
        {3.1415927f, 1.5707964f, -1, 0, 0},
        {0.0f, PITCH_MAX, 0.001, -1, 0},  // pitch near pi looks down
        {0.7853982f, 0.7853982f, 0.5, 0.70710678, 0.5},
    };
    for (const Case& c : cases) {
        const CameraView view = cameraView(playerAt(100.0f, 200.0f, 300.0f, c.yaw, c.pitch), false);
        EXPECT_EQ(view.eye.y, 209.0);
        const Vec3d d = lookDirection(view);
        EXPECT_NEAR(d.x, c.x, 1e-5) << c.yaw << " " << c.pitch;
        EXPECT_NEAR(d.y, c.y, 1e-5) << c.yaw << " " << c.pitch;
        EXPECT_NEAR(d.z, c.z, 1e-5) << c.yaw << " " << c.pitch;
        EXPECT_NEAR(d.x * d.x + d.y * d.y + d.z * d.z, 1.0, 1e-6);
    }
}

TEST(CameraViewTest, HomeLooksAtTheOriginFromTwelveAboveTheFeet) {
    const CameraView view = cameraView(playerAt(4096.0f, 1008.0f, 2000.0f, 2.0f, 0.5f), true);
    EXPECT_EQ(view.eye.x, 4096.0);
    EXPECT_EQ(view.eye.y, 1020.0);
    EXPECT_EQ(view.eye.z, 2000.0);
    EXPECT_EQ(view.target.x, 0.0);
    EXPECT_EQ(view.target.y, 0.0);
    EXPECT_EQ(view.target.z, 0.0);
    EXPECT_EQ(view.up.y, 1.0);
    // Releasing Home gives the aimed view back.
    const CameraView aimed = cameraView(playerAt(4096.0f, 1008.0f, 2000.0f, 2.0f, 0.5f), false);
    EXPECT_EQ(aimed.eye.y, 1017.0);
    EXPECT_NEAR(aimed.target.x - aimed.eye.x, std::cos(2.0) * std::sin(0.5), 1e-6);
}

TEST(CameraViewTest, EyeHeightIsAddedInDoublePrecision) {
    // 2^24 + 9 is not a float; the look-at call gets it exactly.
    const CameraView view = cameraView(playerAt(0.1f, 16777216.0f, 0.0f, 0.0f, 1.5707964f), false);
    EXPECT_EQ(view.eye.y, 16777225.0);
    EXPECT_EQ(view.eye.x, static_cast<double>(0.1f));
    EXPECT_EQ(cameraView(playerAt(0.0f, 16777216.0f, 0.0f, 0.0f, 1.0f), true).eye.y, 16777228.0);
}

}  // namespace
