#include "render/face_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "render/block_textures.h"
#include "render/mesher.h"
#include "tests/support/camera_matrices.h"
#include "tests/support/test_worlds.h"

namespace {

struct Point {
    double x, y, z;
};

// How far the eye stands in front of a face's plane (negative: behind it),
// from the face's first triangle as stored: its corners and their winding.
double eyeInFront(const std::int16_t* p, const Chunk& chunk, Point eye) {
    const double o[3] = {256.0 * chunk.cx + p[0], 256.0 * chunk.cy + p[1], 256.0 * chunk.cz + p[2]};
    const double a[3] = {double(p[3] - p[0]), double(p[4] - p[1]), double(p[5] - p[2])};
    const double b[3] = {double(p[6] - p[0]), double(p[7] - p[1]), double(p[8] - p[2])};
    double n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    return ((eye.x - o[0]) * n[0] + (eye.y - o[1]) * n[1] + (eye.z - o[2]) * n[2]) / length;
}

// Whether vertices a and b of the mesh are alike: position, colour and
// texture coordinate.
bool sameVertex(const ChunkMesh& mesh, std::uint32_t a, std::uint32_t b) {
    return std::memcmp(mesh.positions + 3 * a, mesh.positions + 3 * b, 3 * sizeof(std::int16_t)) == 0 &&
           std::memcmp(mesh.colours + 4 * a, mesh.colours + 4 * b, 4) == 0 &&
           std::memcmp(mesh.texCoords + 2 * a, mesh.texCoords + 2 * b, 2 * sizeof(float)) == 0;
}

// The index lists of every chunk of the generated world, for eyes where a
// player stands, on chunk and cell planes, a block off them, and outside the
// world: each must name, in mesh order and whole, exactly the faces whose
// plane the eye is not at least one block behind, each face's corners through
// four distinct vertices of its own alike to them. (Every plane there lies on
// the block grid, so the layer bounds are exact.)
TEST(FaceIndex, ListsExactlyTheFacesTheEyeIsNotABlockBehindInMeshOrder) {
    World& world = sharedGeneratedWorld();
    std::vector<Point> eyes = {{4096.0, 1193.0, 4096.0},   {4096.0, 1168.0, 4112.0}, {4080.0, 1152.0, 4128.0},
                               {4100.5, 1180.25, 4079.75}, {-500.0, 900.0, 9000.0},  {8192.0, 2048.0, 0.0},
                               {3000.0, -400.0, 5000.0}};
    std::mt19937 random(7);
    std::uniform_real_distribution<double> across(0.0, 8192.0), up(800.0, 1400.0);
    for (int i = 0; i < 5; ++i) eyes.push_back({across(random), up(random), across(random)});

    for (const Point& eye : eyes) {
        SCOPED_TRACE("eye " + std::to_string(eye.x) + " " + std::to_string(eye.y) + " " + std::to_string(eye.z));
        std::size_t sent = 0, all = 0;
        int wrong = 0;
        for (Chunk* chunk : world.chunks) {
            ChunkFaceIndex& faces = chunk->faces;
            const std::uint32_t faceCount = chunk->mesh.positionCount / POSITIONS_PER_FACE;
            ASSERT_EQ(faces.faceCount, faceCount);
            const std::uint32_t count =
                selectFaces(faces, chunk->mesh.positions,
                            faceSelectionKey({eye.x, eye.y, eye.z}, chunk->cx, chunk->cy, chunk->cz), EVERY_PART);
            ASSERT_EQ(count % 6, 0u);
            const bool isShort = shortFaceIndices(faces);
            const auto index = [&](std::uint32_t i) -> std::uint32_t {
                return isShort ? static_cast<const std::uint16_t*>(faces.indices)[i]
                               : static_cast<const std::uint32_t*>(faces.indices)[i];
            };
            std::uint32_t next = 0;  // the next entry of the list
            for (std::uint32_t f = 0; f < faceCount; ++f) {
                const bool wanted =
                    eyeInFront(chunk->mesh.positions + f * POSITIONS_PER_FACE, *chunk, {eye.x, eye.y, eye.z}) >
                    -FACE_BACK_MARGIN;
                const bool listed = next < count && index(next) == 6 * f;
                if (listed) {
                    std::uint32_t distinct = 0;
                    for (std::uint32_t v = 0; v < 6; ++v) {
                        const std::uint32_t named = index(next++);
                        wrong += named / 6 != f || !sameVertex(chunk->mesh, named, 6 * f + v);
                        bool seen = false;
                        for (std::uint32_t u = 0; u < v; ++u) seen = seen || index(next - 1 - v + u) == named;
                        distinct += !seen;
                    }
                    wrong += distinct != 4;
                }
                wrong += wanted != listed;
            }
            wrong += next != count;  // entries out of order, or not at a face's first vertex
            sent += count;
            all += 6 * faceCount;
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_LT(sent, all);
    }
}

// The parts a view leaves out, against each face's own corners: every face
// of a part left out lies, all six vertices, at least the margin behind one
// plane of the view. Views from where a player stands, turned every way,
// and from random points of the world's box.
TEST(FaceIndex, LeavesOutOnlyPartsWhollyOutsideTheView) {
    World& world = sharedGeneratedWorld();
    std::vector<Player> players;
    for (float yaw : {0.0f, 0.8f, 2.4f, -1.3f})
        for (float pitch : {0.3f, 1.6f, 2.9f}) {
            Player player = createPlayer(nullptr, 4096.0f, 1193.0f, 4096.0f);
            player.yaw = yaw;
            player.pitch = pitch;
            players.push_back(player);
        }
    std::mt19937 random(11);
    std::uniform_real_distribution<float> across(0.0f, 8192.0f), up(0.0f, 2048.0f), turn(-3.14f, 3.14f);
    for (int i = 0; i < 6; ++i) {
        Player player = createPlayer(nullptr, across(random), up(random), across(random));
        player.yaw = turn(random);
        player.pitch = 1.57f + turn(random) / 2.0f;
        players.push_back(player);
    }

    std::size_t leftOut = 0, inView = 0;
    for (const Player& player : players) {
        const FrustumPlanes frustum = frustumFor(player);
        int wrong = 0;
        for (Chunk* chunk : world.chunks) {
            if (!chunkInFrustum(frustum, chunk->cx, chunk->cy, chunk->cz)) continue;
            const std::uint64_t parts = partsInView(frustum, chunk->cx, chunk->cy, chunk->cz);
            const double origin[3] = {256.0 * chunk->cx, 256.0 * chunk->cy, 256.0 * chunk->cz};
            for (std::uint32_t f = 0; f < chunk->faces.faceCount; ++f) {
                ++inView;
                const std::int16_t* p = chunk->mesh.positions + POSITIONS_PER_FACE * f;
                if (parts >> facePart(p) & 1u) continue;
                ++leftOut;
                bool behindOnePlane = false;
                for (const auto& plane : frustum.planes) {
                    double farthest = -1e300;
                    for (int v = 0; v < 6; ++v) {
                        double d = plane[3];
                        for (int axis = 0; axis < 3; ++axis) d += plane[axis] * (origin[axis] + p[3 * v + axis]);
                        farthest = std::max(farthest, d);
                    }
                    behindOnePlane = behindOnePlane || farthest <= -FACE_PART_MARGIN;
                }
                wrong += !behindOnePlane;
            }
        }
        EXPECT_EQ(wrong, 0) << "player at " << player.position.x << " " << player.position.y << " "
                            << player.position.z << ", yaw " << player.yaw << ", pitch " << player.pitch;
    }
    // The parts do leave faces out, and not most of them.
    EXPECT_GT(leftOut, inView / 20);
    EXPECT_LT(leftOut, inView / 2);

    // Planes that are not numbers leave every part in.
    FrustumPlanes broken = frustumFor(players[0]);
    for (auto& plane : broken.planes) plane[0] = std::nanf("");
    EXPECT_EQ(partsInView(broken, 16, 4, 16), EVERY_PART);
}

// Every direction's table against the faces the mesh builder writes (the
// generated world has no bottom faces): each of a face's six corners named
// through a vertex alike to it, four distinct ones.
TEST(FaceIndex, NamesEachCornerThroughAVertexAlikeToIt) {
    setGameBlockTextures();
    std::int16_t positions[POSITIONS_PER_FACE];
    std::uint8_t colours[COLOURS_PER_FACE];
    float texCoords[TEXCOORDS_PER_FACE];
    for (int face = 0; face < FACE_COUNT; ++face)
        for (BlockId kind : {BLOCK_SURFACE, BLOCK_TRANSLUCENT}) {
            ChunkMesh mesh = {positions, colours, texCoords, 0, 0, 0};
            emitFace(mesh, static_cast<Face>(face), 32, 48, 80, kind, 7);
            int distinct = 0;
            for (std::uint32_t v = 0; v < 6; ++v) {
                const std::uint32_t named = FACE_VERTEX_SOURCE[face][v];
                EXPECT_TRUE(named < 6 && sameVertex(mesh, named, v)) << "face " << face << " corner " << v;
                bool seen = false;
                for (std::uint32_t u = 0; u < v; ++u) seen = seen || FACE_VERTEX_SOURCE[face][u] == named;
                distinct += !seen;
            }
            EXPECT_EQ(distinct, 4) << "face " << face;
        }
}

// The eye is read back from the matrices GL holds: a turned and moved view,
// and a projection whose centre is not the eye (then every face is sent).
TEST(FaceIndex, FindsTheEyeOfAPerspectiveView) {
    const float perspective[16] = {1.8f, 0, 0, 0, 0, 2.4f, 0, 0, 0, 0, -1.0f, -1.0f, 0, 0, -0.2f, 0};
    const double eye[3] = {4100.5, 1193.0, 3999.25};
    const double turn = 0.7, c = std::cos(turn), s = std::sin(turn);
    // Rotation about y, then the move that takes the eye to the origin.
    float view[16] = {float(c), 0, float(s), 0, 0, 1, 0, 0, float(-s), 0, float(c), 0, 0, 0, 0, 1};
    for (int row = 0; row < 3; ++row)
        view[12 + row] = static_cast<float>(-(view[row] * eye[0] + view[4 + row] * eye[1] + view[8 + row] * eye[2]));
    const EyePoint found = eyeOfView(perspective, view);
    EXPECT_NEAR(found.x, eye[0], 0.01);
    EXPECT_NEAR(found.y, eye[1], 0.01);
    EXPECT_NEAR(found.z, eye[2], 0.01);

    const float orthographic[16] = {0.01f, 0, 0, 0, 0, 0.01f, 0, 0, 0, 0, -0.01f, 0, 0, 0, 0, 1};
    const EyePoint none = eyeOfView(orthographic, view);
    EXPECT_TRUE(std::isnan(none.x));
    for (int face = 0; face < FACE_COUNT; ++face)
        for (int layer = 0; layer < 18; ++layer)
            EXPECT_TRUE(faceSelected(faceSelectionKey(none, 3, 4, 5), static_cast<std::uint8_t>(face << 5 | layer)))
                << face << " " << layer;
}

}  // namespace
