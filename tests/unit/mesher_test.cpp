// The chunk mesher: face geometry, winding, atlas cells and shading of single
// cells, faces across chunk borders and the world's edge, the translucent
// kind, and agreement with the plain reference mesher.

#include "render/mesher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "render/block_textures.h"
#include "tests/support/reference_mesher.h"
#include "tests/support/test_worlds.h"

namespace {

constexpr float W = 0.0625f;  // one atlas cell
constexpr int NORMAL_AXIS[FACE_COUNT] = {0, 0, 2, 2, 1, 1};
constexpr int NEIGHBOUR_STEP[FACE_COUNT][3] = {{-1, 0, 0}, {1, 0, 0},  {0, 0, -1},
                                               {0, 0, 1},  {0, -1, 0}, {0, 1, 0}};

// One face of a mesh, checked for shape on the way in.
struct FaceView {
    Face dir;          // from the winding: the side its front looks at
    int lo[3], hi[3];  // bounds of its corners
    std::uint8_t grey;
    float u, v;          // atlas cell: the smallest s and t
    bool sRunsLeftward;  // side faces: s grows towards the left of a viewer outside
};

Face faceFromNormal(const int n[3]) {
    for (Face f : {FACE_NEG_X, FACE_POS_X, FACE_NEG_Z, FACE_POS_Z, FACE_NEG_Y, FACE_POS_Y})
        if (n[0] == 256 * NEIGHBOUR_STEP[f][0] && n[1] == 256 * NEIGHBOUR_STEP[f][1] &&
            n[2] == 256 * NEIGHBOUR_STEP[f][2])
            return f;
    return FACE_COUNT;
}

// Reads every face of the mesh, failing the test unless each is a 16 x 16
// square split along a diagonal into two triangles wound counter-clockwise
// seen from the same side, flat-shaded and opaque, showing one whole atlas
// cell upright (sides) or with s along x and t along z (top and bottom).
std::vector<FaceView> readFaces(const ChunkMesh& mesh) {
    std::vector<FaceView> faces;
    const std::uint32_t count = mesh.positionCount / POSITIONS_PER_FACE;
    EXPECT_EQ(mesh.positionCount, count * POSITIONS_PER_FACE);
    EXPECT_EQ(mesh.colourCount, count * COLOURS_PER_FACE);
    EXPECT_EQ(mesh.texCoordCount, count * TEXCOORDS_PER_FACE);
    for (std::uint32_t f = 0; f < count; ++f) {
        const std::int16_t* p = mesh.positions + f * POSITIONS_PER_FACE;
        const float* st = mesh.texCoords + f * TEXCOORDS_PER_FACE;
        const std::uint8_t* col = mesh.colours + f * COLOURS_PER_FACE;
        FaceView view{};
        Face dirs[2];
        for (int t = 0; t < 2; ++t) {
            const std::int16_t* v = p + 9 * t;
            const int e1[3] = {v[3] - v[0], v[4] - v[1], v[5] - v[2]};
            const int e2[3] = {v[6] - v[0], v[7] - v[1], v[8] - v[2]};
            const int n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                              e1[0] * e2[1] - e1[1] * e2[0]};
            dirs[t] = faceFromNormal(n);
        }
        view.dir = dirs[0];
        if (dirs[0] == FACE_COUNT || dirs[1] != dirs[0]) {
            ADD_FAILURE() << "face " << f << ": triangles are not two halves of one axis-aligned face";
            continue;
        }
        const int flat = NORMAL_AXIS[view.dir];
        for (int a = 0; a < 3; ++a) {
            int sum = 0;
            view.lo[a] = view.hi[a] = p[a];
            for (int i = 0; i < 6; ++i) {
                view.lo[a] = std::min<int>(view.lo[a], p[3 * i + a]);
                view.hi[a] = std::max<int>(view.hi[a], p[3 * i + a]);
                sum += p[3 * i + a];
            }
            EXPECT_EQ(view.hi[a] - view.lo[a], a == flat ? 0 : 16) << "face " << f;
            // The corners each triangle leaves out are opposite: they split the square.
            EXPECT_EQ(sum, 3 * (view.lo[a] + view.hi[a])) << "face " << f << ": triangles overlap";
        }

        view.u = std::min({st[0], st[2], st[4], st[6], st[8], st[10]});
        view.v = std::min({st[1], st[3], st[5], st[7], st[9], st[11]});
        const bool side = flat != 1;
        const int across = flat == 0 ? 2 : 0;  // the horizontal axis of a side face
        int turn = -1;
        for (int i = 0; i < 6; ++i) {
            const float s = st[2 * i], t = st[2 * i + 1];
            EXPECT_TRUE((s == view.u || s == view.u + W) && (t == view.v || t == view.v + W)) << "face " << f;
            const bool sFar = s != view.u, tFar = t != view.v;
            const bool high[3] = {p[3 * i] == view.hi[0], p[3 * i + 1] == view.hi[1],
                                  p[3 * i + 2] == view.hi[2]};
            if (side) {
                EXPECT_EQ(tFar, !high[1]) << "face " << f << ": the cell's top row is not at the top";
                if (turn < 0) turn = sFar != high[across];
                EXPECT_EQ(sFar != high[across], turn == 1) << "face " << f;
            } else {
                EXPECT_EQ(sFar, high[0]) << "face " << f;
                EXPECT_EQ(tFar, high[2]) << "face " << f;
            }
        }
        if (side) {
            // s grows toward +across (turn 0) or -across; a viewer outside has
            // the right-hand direction up x normal = (nz, 0, -nx).
            const int right = across == 2 ? -NEIGHBOUR_STEP[view.dir][0] : NEIGHBOUR_STEP[view.dir][2];
            view.sRunsLeftward = (turn == 0 ? right : -right) < 0;
        }

        view.grey = col[0];
        for (int i = 0; i < 24; ++i) EXPECT_EQ(col[i], i % 4 == 3 ? 255 : view.grey) << "face " << f;
        faces.push_back(view);
    }
    return faces;
}

std::map<Face, int> facesPerDirection(const std::vector<FaceView>& faces) {
    std::map<Face, int> count;
    for (const FaceView& face : faces) ++count[face.dir];
    return count;
}

class MesherTest : public ::testing::Test {
protected:
    void SetUp() override { setGameBlockTextures(); }

    // Chunk (1, 1, 1) and its six face neighbours, all air of `light`.
    TestWorld makeCentredWorld(LightByte light = TEST_LIGHT_OPEN) {
        TestWorld world = makeTestWorld(false);
        addAirChunk(*world, 1, 1, 1, light);
        for (int d = -1; d <= 1; d += 2) {
            addAirChunk(*world, 1 + d, 1, 1, light);
            addAirChunk(*world, 1, 1 + d, 1, light);
            addAirChunk(*world, 1, 1, 1 + d, light);
        }
        return world;
    }
};

// Light bytes for the six neighbours of a cell, one grey level each:
// max(sky, block) = 0, 8, 15, 12, 10, 7.
constexpr LightByte NEIGHBOUR_LIGHT[FACE_COUNT] = {0x00, 0x88, 0xF8, 0x3C, 0xA1, 0x07};
constexpr int NEIGHBOUR_LEVEL[FACE_COUNT] = {0, 8, 15, 12, 10, 7};

TEST_F(MesherTest, SingleCellHasSixOutwardFacesWithItsAtlasCellsAndItsNeighboursLight) {
    // A surface cell with the game's rows, and a kind with a distinct cell in every slot.
    setBlockTextures(50, 0x10, 0x21, 0x32, 0x43, 0x54, 0x65);
    struct Case {
        BlockId kind;
        float side[2], top[2], bottom[2];
    } cases[] = {{BLOCK_SURFACE, {0.1875f, 0}, {0, 0}, {0.125f, 0}},
                 {50, {0, 0.0625f}, {0.25f, 0.3125f}, {0.3125f, 0.375f}}};
    // The drawn box of cell (5, 5, 5) spans 80..96 in x and z, 64..80 in y.
    const int CELL_PLANES[FACE_COUNT] = {80, 96, 80, 96, 64, 80};
    for (const Case& c : cases) {
        TestWorld world = makeCentredWorld();
        const int wx = 21, wy = 21, wz = 21;  // local (5, 5, 5) of chunk (1, 1, 1)
        setWorldBlock(*world, wx, wy, wz, c.kind);
        setWorldLight(*world, wx, wy, wz, 0x55);  // the cell's own light shows nowhere
        for (int f = 0; f < FACE_COUNT; ++f)
            setWorldLight(*world, wx + NEIGHBOUR_STEP[f][0], wy + NEIGHBOUR_STEP[f][1],
                          wz + NEIGHBOUR_STEP[f][2], NEIGHBOUR_LIGHT[f]);
        Chunk& chunk = *getChunk(*world, 1, 1, 1);
        buildChunkMesh(chunk);
        EXPECT_EQ(chunk.mesh.positionCount, 108u);
        EXPECT_EQ(chunk.mesh.colourCount, 144u);
        EXPECT_EQ(chunk.mesh.texCoordCount, 72u);

        const std::vector<FaceView> faces = readFaces(chunk.mesh);
        ASSERT_EQ(faces.size(), 6u);
        std::set<Face> seen;
        std::set<bool> sideTurns;
        for (const FaceView& face : faces) {
            seen.insert(face.dir);
            const int axis = NORMAL_AXIS[face.dir];
            const int plane = CELL_PLANES[face.dir];
            EXPECT_EQ(face.lo[axis], plane) << "face " << face.dir;
            EXPECT_EQ(face.hi[axis], plane) << "face " << face.dir;
            for (int a = 0; a < 3; ++a) {
                if (a == axis) continue;
                EXPECT_EQ(face.lo[a], a == 1 ? 64 : 80) << "face " << face.dir;
                EXPECT_EQ(face.hi[a], face.lo[a] + 16) << "face " << face.dir;
            }
            EXPECT_EQ(face.grey, 15 * NEIGHBOUR_LEVEL[face.dir] + 30) << "face " << face.dir;
            const float* cell = face.dir == FACE_POS_Y ? c.top : face.dir == FACE_NEG_Y ? c.bottom : c.side;
            EXPECT_EQ(face.u, cell[0]) << "face " << face.dir;
            EXPECT_EQ(face.v, cell[1]) << "face " << face.dir;
            if (face.dir != FACE_POS_Y && face.dir != FACE_NEG_Y) sideTurns.insert(face.sRunsLeftward);
        }
        EXPECT_EQ(seen.size(), 6u);
        EXPECT_EQ(sideTurns.size(), 1u) << "the four sides do not show the atlas cell the same way round";
    }
}

// World cells of neighbour f's layer that touches chunk (1, 1, 1).
std::vector<std::array<int, 3>> touchingLayer(int f) {
    std::vector<std::array<int, 3>> cells;
    const int axis = NORMAL_AXIS[f];
    for (int a = 0; a < 16; ++a)
        for (int b = 0; b < 16; ++b) {
            std::array<int, 3> w;
            w[axis] = NEIGHBOUR_STEP[f][axis] < 0 ? 15 : 32;
            w[(axis + 1) % 3] = 16 + a;
            w[(axis + 2) % 3] = 16 + b;
            cells.push_back(w);
        }
    return cells;
}

TEST_F(MesherTest, BorderFacesFollowTheNeighbourChunksCells) {
    // A solid chunk among air chunks of light 0; only the neighbour layer touching
    // it gets the kind under test and a light of its own, so reading the wrong
    // layer or the wrong neighbour shows. Bottom faces at local y = 0 count too.
    TestWorld world = makeCentredWorld(0x00);
    Chunk& chunk = *getChunk(*world, 1, 1, 1);
    std::memset(chunk.blocks, BLOCK_DEEP, sizeof chunk.blocks);
    const int planes[FACE_COUNT] = {0, 256, 0, 256, -16, 240};
    for (int f = 0; f < FACE_COUNT; ++f) {
        for (BlockId kind : {BLOCK_AIR, BLOCK_TRANSLUCENT, BlockId{42}, BLOCK_DEEP}) {
            for (const auto& w : touchingLayer(f)) {
                setWorldBlock(*world, w[0], w[1], w[2], kind);
                setWorldLight(*world, w[0], w[1], w[2], NEIGHBOUR_LIGHT[f]);
            }
            buildChunkMesh(chunk);
            const std::vector<FaceView> faces = readFaces(chunk.mesh);
            std::map<Face, int> count = facesPerDirection(faces);
            for (int g = 0; g < FACE_COUNT; ++g) {
                EXPECT_EQ(count[static_cast<Face>(g)], g == f && !isOpenBlock(kind) ? 0 : 256)
                    << "faces " << g << " with kind " << int(kind) << " beyond side " << f;
            }
            for (const FaceView& face : faces) {
                ASSERT_EQ(face.lo[NORMAL_AXIS[face.dir]], planes[face.dir]);
                ASSERT_EQ(face.grey, face.dir == f ? 15 * NEIGHBOUR_LEVEL[f] + 30 : 30);
            }
            for (const auto& w : touchingLayer(f)) {
                setWorldBlock(*world, w[0], w[1], w[2], BLOCK_AIR);
                setWorldLight(*world, w[0], w[1], w[2], 0x00);
            }
        }
    }
}

TEST_F(MesherTest, NoFaceLooksOutOfTheWorld) {
    // Solid chunks in two opposite corners of the grid, open toward the inside only.
    struct Corner {
        int c[3], toward;
    } corners[] = {{{0, 0, 0}, 1}, {{31, 7, 31}, -1}};
    for (const Corner& corner : corners) {
        TestWorld world = makeTestWorld(false);
        Chunk& chunk = addAirChunk(*world, corner.c[0], corner.c[1], corner.c[2]);
        std::memset(chunk.blocks, BLOCK_DEEP, sizeof chunk.blocks);
        addAirChunk(*world, corner.c[0] + corner.toward, corner.c[1], corner.c[2]);
        addAirChunk(*world, corner.c[0], corner.c[1] + corner.toward, corner.c[2]);
        addAirChunk(*world, corner.c[0], corner.c[1], corner.c[2] + corner.toward);
        buildChunkMesh(chunk);
        std::map<Face, int> count = facesPerDirection(readFaces(chunk.mesh));
        for (int f = 0; f < FACE_COUNT; ++f) {
            const bool inward = NEIGHBOUR_STEP[f][NORMAL_AXIS[f]] == corner.toward;
            EXPECT_EQ(count[static_cast<Face>(f)], inward ? 256 : 0) << "face " << f;
        }
    }
}

TEST_F(MesherTest, TranslucentCellShowsALoweredTwoSidedSurfaceLitFromAbove) {
    AtlasCell saved[TEX_SLOTS];  // the game leaves this row unset; put it back that way
    std::memcpy(saved, blockTexTable.rows[BLOCK_TRANSLUCENT], sizeof saved);
    setBlockTextures(BLOCK_TRANSLUCENT, 0x10, 0x21, 0x32, 0x43, 0x54, 0x65);
    TestWorld world = makeCentredWorld();
    setWorldBlock(*world, 21, 21, 21, BLOCK_TRANSLUCENT);
    setWorldLight(*world, 21, 21, 21, 0x00);
    setWorldLight(*world, 21, 22, 21, 0x3C);  // above: level 12
    setWorldLight(*world, 21, 20, 21, 0xA1);  // below: level 10
    Chunk& chunk = *getChunk(*world, 1, 1, 1);
    buildChunkMesh(chunk);
    EXPECT_EQ(chunk.mesh.positionCount, 126u);
    EXPECT_EQ(chunk.mesh.colourCount, 168u);
    EXPECT_EQ(chunk.mesh.texCoordCount, 84u);

    int sides = 0, lowered = 0, bottoms = 0;
    for (const FaceView& face : readFaces(chunk.mesh)) {
        if (face.dir != FACE_POS_Y && face.dir != FACE_NEG_Y) {
            ++sides;
            EXPECT_EQ(face.grey, 255);
            EXPECT_EQ(face.v, 0.0625f);
        } else if (face.lo[1] == 79) {  // one unit below the cell's top at 80
            ++lowered;
            EXPECT_EQ(face.grey, 15 * 12 + 30) << "face " << face.dir;
            EXPECT_EQ(face.u, face.dir == FACE_POS_Y ? 0.25f : 0.3125f);
        } else {
            ++bottoms;
            EXPECT_EQ(face.dir, FACE_NEG_Y);
            EXPECT_EQ(face.lo[1], 64);
            EXPECT_EQ(face.grey, 15 * 10 + 30);
            EXPECT_EQ(face.u, 0.3125f);
        }
    }
    EXPECT_EQ(sides, 4);
    EXPECT_EQ(lowered, 2);  // one facing up, one facing down: both directions checked above
    EXPECT_EQ(bottoms, 1);
    std::memcpy(blockTexTable.rows[BLOCK_TRANSLUCENT], saved, sizeof saved);
}

TEST_F(MesherTest, TranslucentNeighboursKeepTheFacesTowardThem) {
    struct Case {
        BlockId first;   // at (5, 5, 5)
        BlockId second;  // at (6, 5, 5), or above at (5, 6, 5)
        bool above;
        std::uint32_t faces;
    } cases[] = {
        {BLOCK_DEEP, BLOCK_TRANSLUCENT, false, 6 + 6},         // translucent: 5 open sides, top as two
        {BLOCK_TRANSLUCENT, BLOCK_TRANSLUCENT, false, 7 + 7},  // both keep the faces between them
        {BLOCK_TRANSLUCENT, BLOCK_DEEP, true, 5 + 6},          // covered: no lowered surface
    };
    for (const Case& c : cases) {
        TestWorld world = makeCentredWorld();
        setWorldBlock(*world, 21, 21, 21, c.first);
        setWorldBlock(*world, c.above ? 21 : 22, c.above ? 22 : 21, 21, c.second);
        Chunk& chunk = *getChunk(*world, 1, 1, 1);
        buildChunkMesh(chunk);
        EXPECT_EQ(chunk.mesh.positionCount, c.faces * POSITIONS_PER_FACE)
            << int(c.first) << " " << int(c.second);
        readFaces(chunk.mesh);
    }
}

TEST_F(MesherTest, EmptyChunksHaveNoFacesAndRebuildsRepeatThemselves) {
    TestWorld world = makeCentredWorld();
    Chunk& chunk = *getChunk(*world, 1, 1, 1);
    buildChunkMesh(chunk);
    EXPECT_EQ(chunk.mesh.positionCount, 0u);
    EXPECT_EQ(chunk.mesh.colourCount, 0u);
    EXPECT_EQ(chunk.mesh.texCoordCount, 0u);

    setWorldBlock(*world, 16, 16, 16, BLOCK_SURFACE);
    setWorldBlock(*world, 20, 31, 17, BLOCK_TRANSLUCENT);
    setWorldBlock(*world, 20, 30, 17, 42);
    buildChunkMesh(chunk);
    const MeshCopy first = copyOf(chunk.mesh);
    buildChunkMesh(chunk);
    EXPECT_EQ(copyOf(chunk.mesh), first);
    // Surface cell: 6 faces; translucent over 42: 4 sides and two lowered; 42: 6.
    EXPECT_EQ(std::get<0>(first).size(), (6 + 6 + 6) * POSITIONS_PER_FACE);

    // Emptied again, the chunk drops back to no faces.
    setWorldBlock(*world, 16, 16, 16, BLOCK_AIR);
    setWorldBlock(*world, 20, 31, 17, BLOCK_AIR);
    setWorldBlock(*world, 20, 30, 17, BLOCK_AIR);
    buildChunkMesh(chunk);
    EXPECT_EQ(chunk.mesh.positionCount + chunk.mesh.colourCount + chunk.mesh.texCoordCount, 0u);
}

// Builds the reference mesh of `chunk` beside the game's and compares them.
void expectSameAsReference(Chunk& chunk) {
    const ChunkMesh game = chunk.mesh;
    chunk.mesh = ChunkMesh{nullptr, nullptr, nullptr, 0, 0, 0};
    buildChunkMeshReference(chunk);
    EXPECT_TRUE(copyOf(game) == copyOf(chunk.mesh))
        << "chunk " << chunk.cx << " " << chunk.cy << " " << chunk.cz;
    freeChunkMesh(chunk.mesh);
    chunk.mesh = game;
}

TEST_F(MesherTest, GeneratedWorldMeshesMatchTheReferenceMesher) {
    World& world = sharedGeneratedWorld();
    std::uint64_t faces = 0;
    for (Chunk* chunk : world.chunks) {
        expectSameAsReference(*chunk);
        faces += chunk->mesh.positionCount / POSITIONS_PER_FACE;
        if (HasFailure()) break;
    }
    // Every column shows at least its top face.
    EXPECT_GE(faces, 512u * 512u);
}

TEST_F(MesherTest, RandomWorldsMatchTheReferenceMesher) {
    // 3 x 3 x 3 chunks in the grid's corner: world edges, chunk borders, and
    // empty slots beyond chunk 2 all meet. Any kind and light byte may appear.
    for (unsigned seed : {1u, 2u, 3u, 4u}) {
        std::mt19937 random(seed);
        TestWorld world = makeTestWorld(false);
        const int airPercent = 20 * static_cast<int>(seed);
        for (int cx = 0; cx < 3; ++cx)
            for (int cy = 0; cy < 3; ++cy)
                for (int cz = 0; cz < 3; ++cz) {
                    Chunk& chunk = addAirChunk(*world, cx, cy, cz);
                    for (int i = 0; i < CHUNK_CELLS; ++i) {
                        const int roll = static_cast<int>(random() % 100);
                        chunk.blocks[i] = roll < airPercent ? BLOCK_AIR
                                          : roll < airPercent + 5
                                              ? static_cast<BlockId>(random())
                                              : BLOCK_KINDS[random() % std::size(BLOCK_KINDS)].id;
                        chunk.light[i] = static_cast<LightByte>(random());
                    }
                }
        for (int cx = 0; cx < 3; ++cx)
            for (int cy = 0; cy < 3; ++cy)
                for (int cz = 0; cz < 3; ++cz) {
                    Chunk& chunk = *getChunk(*world, cx, cy, cz);
                    buildChunkMesh(chunk);
                    expectSameAsReference(chunk);
                }
    }
}

}  // namespace
