#include "render/frustum.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/camera_matrices.h"
#include "tests/support/test_worlds.h"

namespace {

float distance(const float plane[4], float x, float y, float z) {
    return plane[0] * x + plane[1] * y + plane[2] * z + plane[3];
}

enum { RIGHT, LEFT, BOTTOM, TOP, FAR, NEAR };

TEST(FrustumExtractionTest, IdentityMatricesGiveTheClipCubeFaces) {
    const Mat4 id = identity();
    const FrustumPlanes f = frustumFromMatrices(id.m, id.m);
    const float expected[6][4] = {
        {-1, 0, 0, 1}, {1, 0, 0, 1}, {0, 1, 0, 1}, {0, -1, 0, 1}, {0, 0, -1, 1}, {0, 0, 1, 1},
    };
    for (int p = 0; p < 6; ++p)
        for (int k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(f.planes[p][k], expected[p][k]) << p << "," << k;
}

TEST(FrustumExtractionTest, PlanesGiveTrueDistancesFromATranslatedCamera) {
    // 90 degrees, square: the side planes are x = +-z and y = +-z in eye space,
    // near at 1 and far at 100 in front. The camera stands at x = 10, so the
    // model-view must be applied before the projection.
    Mat4 modelview = identity();
    modelview.m[12] = -10.0f;
    const Mat4 projection = perspective(90.0f, 1.0f, 1.0f, 100.0f);
    const FrustumPlanes f = frustumFromMatrices(projection.m, modelview.m);

    for (const auto& plane : f.planes)
        EXPECT_NEAR(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2], 1.0f, 1e-5f);
    // A point two units straight ahead of the camera.
    const float x = 10.0f, y = 0.0f, z = -2.0f;
    EXPECT_NEAR(distance(f.planes[NEAR], x, y, z), 1.0f, 1e-4f);
    EXPECT_NEAR(distance(f.planes[FAR], x, y, z), 98.0f, 1e-3f);
    for (int side : {RIGHT, LEFT, BOTTOM, TOP})
        EXPECT_NEAR(distance(f.planes[side], x, y, z), std::sqrt(2.0f), 1e-4f);
    // Right means +x: a point right of the camera is behind the right plane only.
    EXPECT_LT(distance(f.planes[RIGHT], 13.0f, 0.0f, -2.0f), 0.0f);
    EXPECT_GT(distance(f.planes[LEFT], 13.0f, 0.0f, -2.0f), 0.0f);
    EXPECT_LT(distance(f.planes[TOP], 10.0f, 3.0f, -2.0f), 0.0f);
    EXPECT_GT(distance(f.planes[BOTTOM], 10.0f, 3.0f, -2.0f), 0.0f);
}

TEST(BoxInFrustumTest, RejectsOnlyCubesWhollyBehindOnePlane) {
    const Mat4 id = identity();
    const FrustumPlanes f = frustumFromMatrices(id.m, id.m);
    EXPECT_TRUE(boxInFrustum(f, 0.0f, 0.0f, 0.0f, 0.5f));
    EXPECT_TRUE(boxInFrustum(f, 1.25f, 0.0f, 0.0f, 0.5f));   // straddles x = 1
    EXPECT_TRUE(boxInFrustum(f, 0.0f, 0.0f, 0.0f, 100.0f));  // encloses the whole frustum
    EXPECT_FALSE(boxInFrustum(f, 2.0f, 0.0f, 0.0f, 0.5f));
    EXPECT_FALSE(boxInFrustum(f, 0.0f, 0.0f, -3.0f, 0.5f));
    // Touching a plane with the rest behind it: a distance of 0 counts as behind.
    EXPECT_FALSE(boxInFrustum(f, 1.5f, 0.0f, 0.0f, 0.5f));
    EXPECT_FALSE(boxInFrustum(f, 0.0f, -1.5f, 0.0f, 0.5f));
    EXPECT_FALSE(boxInFrustum(f, 0.0f, 0.0f, 1.5f, 0.5f));
    // A box that reaches in front of one plane by a single corner, each corner
    // in turn (the corner's sum is 3, every other corner's at most 1): a
    // sliver still in view.
    for (int corner = 0; corner < 8; ++corner) {
        FrustumPlanes one = {{{0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}}};
        for (int axis = 0; axis < 3; ++axis) one.planes[FAR][axis] = corner >> axis & 1 ? 1.0f : -1.0f;
        one.planes[FAR][3] = -2.0f;
        EXPECT_TRUE(boxInFrustum(one, 0.0f, 0.0f, 0.0f, 1.0f)) << "corner " << corner;
    }
}

TEST(BoxInFrustumTest, ZeroPlanesAndNaNRejectEverything) {
    const FrustumPlanes zero = {};
    EXPECT_FALSE(boxInFrustum(zero, 0.0f, 0.0f, 0.0f, 1e6f));
    EXPECT_FALSE(boxInFrustum(zero, 4096.0f, 1024.0f, 4096.0f, 128.0f));

    const Mat4 id = identity();
    const FrustumPlanes f = frustumFromMatrices(id.m, id.m);
    const float nan = std::nanf("");
    EXPECT_FALSE(boxInFrustum(f, nan, 0.0f, 0.0f, 0.5f));
    EXPECT_FALSE(boxInFrustum(f, 0.0f, 0.0f, nan, 0.5f));
    EXPECT_FALSE(boxInFrustum(f, 0.0f, 0.0f, 0.0f, nan));
}

TEST(BoxInFrustumTest, ShortFormReadsTheProcessWidePlanes) {
    const FrustumPlanes saved = frustumPlanes;
    const Mat4 id = identity();
    frustumPlanes = frustumFromMatrices(id.m, id.m);
    EXPECT_TRUE(boxInFrustum(0.0f, 0.0f, 0.0f, 0.5f));
    EXPECT_FALSE(boxInFrustum(2.0f, 0.0f, 0.0f, 0.5f));
    frustumPlanes = FrustumPlanes{};
    EXPECT_FALSE(boxInFrustum(0.0f, 0.0f, 0.0f, 0.5f));
    frustumPlanes = saved;
}

TEST(ChunkCullingTest, TestsTheBoxTheChunkIsDrawnIn) {
    // Five planes that pass everything, and one that passes only y < limit
    // (or y > limit): pins the tested box of chunk (22, 4, 20) on y to the
    // drawn cells, 1008 .. 1264, not the data's 1024 .. 1280.
    FrustumPlanes f = {};
    for (auto& plane : f.planes) plane[3] = 1.0f;
    float* cut = f.planes[BOTTOM];

    cut[1] = -1.0f;  // in front where y < cut[3]
    cut[3] = 1008.5f;
    EXPECT_TRUE(chunkInFrustum(f, 22, 4, 20));
    cut[3] = 1008.0f;
    EXPECT_FALSE(chunkInFrustum(f, 22, 4, 20));

    cut[1] = 1.0f;  // in front where y > -cut[3]
    cut[3] = -1263.5f;
    EXPECT_TRUE(chunkInFrustum(f, 22, 4, 20));
    cut[3] = -1264.0f;
    EXPECT_FALSE(chunkInFrustum(f, 22, 4, 20));
}

TEST(ChunkCullingTest, KeepsTheChunkAroundAnEyeJustBelowItsDataBox) {
    // The eye (y 1017) is inside the drawn box of chunk (22, 4, 20) but below
    // its data box, looking down and away: culling the data box would leave a
    // hole right in front of the player.
    const FrustumPlanes f = frustumFor(playerAt(5752.0f, 1008.0f, 5272.0f, 5.497787f, 1.9634954f));
    EXPECT_TRUE(chunkInFrustum(f, 22, 4, 20));
    EXPECT_FALSE(boxInFrustum(f, 22 * 256 + 128, 4 * 256 + 128, 20 * 256 + 128, 128.0f));
}

TEST(ChunkCullingTest, CameraViewKeepsChunksAheadAndSkipsChunksBehind) {
    // Eye at (4096, 1509, 4096) looking level along +x: chunk (16, 5, 16) holds it.
    const FrustumPlanes f = frustumFor(playerAt(4096.0f, 1500.0f, 4096.0f, 0.0f, 1.5707964f));
    EXPECT_TRUE(chunkInFrustum(f, 16, 5, 16));
    EXPECT_TRUE(boxInFrustum(f, 4096.0f, 1509.0f, 4096.0f, 1.0f));  // a small cube around the eye
    for (int cx = 17; cx < 32; ++cx) EXPECT_TRUE(chunkInFrustum(f, cx, 5, 16)) << cx;
    for (int cx = 0; cx < 15; ++cx) EXPECT_FALSE(chunkInFrustum(f, cx, 5, 16)) << cx;
    // Far to the side, well outside the 29-degree half width.
    EXPECT_FALSE(chunkInFrustum(f, 20, 5, 0));
    EXPECT_FALSE(chunkInFrustum(f, 20, 5, 31));
    // Turned around, the same chunks swap.
    const FrustumPlanes back = frustumFor(playerAt(4096.0f, 1500.0f, 4096.0f, 3.1415927f, 1.5707964f));
    EXPECT_FALSE(chunkInFrustum(back, 20, 5, 16));
    EXPECT_TRUE(chunkInFrustum(back, 10, 5, 16));
}

}  // namespace
