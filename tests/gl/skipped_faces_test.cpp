// The world drawn by drawWorld, which sends only the faces that can face the
// eye in the parts of each chunk that may show, against the whole of every
// chunk's mesh drawn in one call, as it was drawn before: over the views the
// game's own checks and its tour reach, views across the world and a few
// hundred random ones, the two pictures must be the same to the byte. Leaving
// out the chunks the ground hides as well may change only the odd pixel where
// a seam in the ground let a hidden chunk show through: at most
// MOST_SEAM_PIXELS in any view.

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "app/gl_view.h"
#include "app/texture.h"
#include "player/camera.h"
#include "player/editing.h"
#include "render/frustum.h"
#include "render/mesher.h"
#include "render/world_draw.h"
#include "tests/gl/offscreen_context.h"
#include "tests/support/test_worlds.h"

namespace {

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;
constexpr int MOST_SEAM_PIXELS = 4;

struct View {
    std::string name;
    Vec3f feet;
    float yaw, pitch;
    bool home;
};

// The whole mesh of every chunk in view, in one call each, straight from its arrays.
void drawEveryFace(const World& world) {
    for (int x = 0; x < WORLD_CHUNKS_X; ++x)
        for (int y = 0; y < WORLD_CHUNKS_Y; ++y)
            for (int z = 0; z < WORLD_CHUNKS_Z; ++z) {
                if (!chunkInFrustum(frustumPlanes, x, y, z)) continue;
                const ChunkMesh& mesh = world.chunks[chunkSlot(x, y, z)]->mesh;
                glTranslatef(256.0f * x, 256.0f * y, 256.0f * z);
                glVertexPointer(3, GL_SHORT, 0, mesh.positions);
                glColorPointer(4, GL_UNSIGNED_BYTE, 0, mesh.colours);
                glTexCoordPointer(2, GL_FLOAT, 0, mesh.texCoords);
                glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(mesh.positionCount / 3));
                glTranslatef(-256.0f * x, -256.0f * y, -256.0f * z);
            }
}

class SkippedFaces : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl_.open(WIDTH, HEIGHT));
        // The game's fixed state: depth ties go to the later face and blending
        // is on, so the order of what is drawn counts as much as what is.
        glViewport(0, 0, WIDTH, HEIGHT);
        setFixedGlState();
        ::testing::internal::CaptureStdout();
        const Texture atlas = loadTexture((std::string(VEX_GAME_DIR) + "/texture.png").c_str());
        ::testing::internal::GetCapturedStdout();
        ASSERT_NE(atlas.glName, 0u);
        glBindTexture(GL_TEXTURE_2D, atlas.glName);
    }
    void TearDown() override { frustumPlanes = FrustumPlanes{}; }

    // The camera as the game loads it for a player, then the frustum.
    static void setCamera(const View& view) {
        setProjection(WIDTH, HEIGHT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        Player player = createPlayer(nullptr, view.feet.x, view.feet.y, view.feet.z);
        player.yaw = view.yaw;
        player.pitch = view.pitch;
        loadCamera(player, view.home);
        extractFrustum();
    }

    enum Drawing { EVERY_FACE, FACING_FACES, UNHIDDEN_CHUNKS };
    std::vector<std::uint8_t> render(const World& world, const View& view, Drawing drawing) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        setCamera(view);
        if (drawing == EVERY_FACE)
            drawEveryFace(world);
        else
            drawWorld(world, drawing == UNHIDDEN_CHUNKS);
        glFinish();
        std::vector<std::uint8_t> frame(gl_.pixels.size());
        glReadPixels(0, 0, WIDTH, HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
        return frame;
    }

    static int differingPixels(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
        int differing = 0;
        for (std::size_t i = 0; i < a.size(); i += 4)
            differing += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2];
        return differing;
    }

    // Empty when the ways give the pictures they must, else what differs.
    std::string compare(const World& world, const View& view) {
        const std::vector<std::uint8_t> all = render(world, view, EVERY_FACE);
        const std::vector<std::uint8_t> facing = render(world, view, FACING_FACES);
        const std::vector<std::uint8_t> unhidden = render(world, view, UNHIDDEN_CHUNKS);
        int sky = 0;
        for (std::size_t i = 0; i < all.size(); i += 4)
            sky += all[i] == 255 && all[i + 1] == 255 && all[i + 2] == 255;
        ++views_;
        terrainViews_ += sky < WIDTH * HEIGHT;
        const int differing = differingPixels(all, facing), seams = differingPixels(facing, unhidden);
        char line[240];
        std::snprintf(line, sizeof line, "%s (feet %.2f %.2f %.2f, yaw %.3f, pitch %.3f%s)",
                      view.name.c_str(), view.feet.x, view.feet.y, view.feet.z, view.yaw, view.pitch,
                      view.home ? ", Home held" : "");
        if (seams > mostSeams_) mostSeams_ = seams, worstSeams_ = line;
        std::string failures;
        if (differing > 0)
            failures += std::string(line) + ": " + std::to_string(differing) + " pixels differ\n";
        if (seams > MOST_SEAM_PIXELS)
            failures +=
                std::string(line) + ": " + std::to_string(seams) + " pixels lost with the hidden chunks\n";
        return failures;
    }

    OffscreenContext gl_;
    int views_ = 0, terrainViews_ = 0, mostSeams_ = 0;
    std::string worstSeams_;
};

// Where a player dropped at (x, z) from the top of the world comes to stand.
Vec3f landedFeet(World& world, float x, float z) {
    Player player = createPlayer(&world, x, 2048.0f, z);
    const PlayerInput none = {};
    for (int frame = 0; frame < 2000 && !(frame > 0 && player.velocity.y == 0.0f); ++frame)
        stepPlayer(player, none);
    return player.position;
}

TEST_F(SkippedFaces, GivesThePictureOfEveryFaceInEveryView) {
    World& world = sharedGeneratedWorld();
    std::vector<View> views;
    // The fall from the start, the landing and the looks the checks and the
    // tour make there, the look toward the origin, walks and a jump.
    const Vec3f start = landedFeet(world, 4096.0f, 4096.0f);
    for (float y : {2048.0f, 1700.0f, start.y + 40.0f})
        views.push_back({"falling", {4096.0f, y, 4096.0f}, 0.0f, 0.001f, false});
    for (float pitch : {0.001f, 0.5f, 1.0f, 1.55f, 1.61f, 1.8f, 1.9f, 2.0f, 2.4f, 2.6f, 3.1f, 3.1405928f})
        for (float yaw : {0.0f, 1.0f, -1.95f, 3.14159f})
            views.push_back({"standing at the start", start, yaw, pitch, false});
    views.push_back({"Home held at the start", start, 0.0f, 1.6f, true});
    for (int step = 1; step <= 8; ++step) {
        const float x = 4096.0f + 48.0f * step;
        views.push_back({"walking along +x", landedFeet(world, x, 4096.0f), 0.0f, 1.6f, false});
        views.push_back({"walking along +z", landedFeet(world, 4096.0f, x), 1.5707964f, 1.9f, false});
        views.push_back({"stepping along -z", landedFeet(world, 4096.0f, 8192.0f - x), 0.0f, 1.6f, true});
    }
    for (float rise : {4.0f, 12.0f, 17.0f})
        views.push_back({"jumping", {start.x, start.y + rise, start.z}, 0.3f, 1.7f, false});
    // The last column at the world's edge, and the fall past it.
    const Vec3f edge = landedFeet(world, 8184.0f, 4096.0f);
    views.push_back({"at the world's edge", edge, 0.0f, 1.6f, false});
    for (float y : {edge.y - 100.0f, -150.0f, -2000.0f})
        views.push_back({"below the world past its edge", {8200.0f, y, 4096.0f}, 3.14159f, 1.2f, false});

    // Across the world from a quarter point, along an axis and across the
    // centre, and from an edge looking in: far ground behind near hills.
    const struct {
        float x, z, yaw;
    } crossings[] = {{6144, 6144, -2.356f}, {2048, 2048, 0.78f}, {2048, 2048, 0.0f},
                     {4096, 4096, 0.78f},   {512, 4096, 0.0f},   {7680, 4096, 3.14159f},
                     {4096, 7680, -1.5708f}};
    for (const auto& a : crossings)
        for (float pitch : {1.5708f, 1.45f, 1.75f})
            views.push_back({"across the world", landedFeet(world, a.x, a.z), a.yaw, pitch, false});

    std::string failures;
    for (const View& view : views) failures += compare(world, view);

    // Random views: half where a player stands or jumps, half anywhere in
    // the world's box, solid cells included.
    std::mt19937 random(20261207);
    std::uniform_real_distribution<float> across(0.0f, 8192.0f), up(0.0f, 2048.0f), aboveGround(0.0f, 48.0f);
    std::uniform_real_distribution<float> yaw(-3.14159f, 3.14159f), pitch(PITCH_MIN, PITCH_MAX);
    for (int i = 0; i < 300; ++i) {
        Vec3f feet = {across(random), up(random), across(random)};
        if (i % 2 == 0) {
            const Vec3f ground = landedFeet(world, feet.x, feet.z);
            feet.y = ground.y + aboveGround(random);
        }
        failures += compare(
            world, {"random view " + std::to_string(i), feet, yaw(random), pitch(random), i % 7 == 0});
    }

    // Edits rebuild meshes between two frames of one view: the next frame
    // must draw the new meshes' faces, not a list made for the old ones.
    View look = {"digging at the start", start, 0.0f, 2.8f, false};
    struct Removed {
        Int3 block;
        BlockId kind;
    };
    std::vector<Removed> removed;
    for (int edit = 0; edit < 6; ++edit) {
        look.yaw = 1.05f * edit;
        Player player = createPlayer(&world, look.feet.x, look.feet.y, look.feet.z);
        player.yaw = look.yaw;
        player.pitch = look.pitch;
        player.leftClick = true;
        const PickResult pick = pickBlock(world, player);
        ASSERT_TRUE(pick.hit);
        failures += compare(world, look);
        removed.push_back({pick.block, worldBlock(world, pick.block.x, pick.block.y, pick.block.z)});
        ASSERT_EQ(applyEdit(world, player, pick).outcome, EDIT_REMOVED);
        failures += compare(world, look);
    }
    // The generated ground back, for the other tests of this process.
    for (const Removed& r : removed) {
        setWorldBlock(world, r.block.x, r.block.y, r.block.z, r.kind);
        const int cx = r.block.x / 16, cy = r.block.y / 16, cz = r.block.z / 16;
        for (const Int3 d : {Int3{0, 0, 0}, Int3{-1, 0, 0}, Int3{1, 0, 0}, Int3{0, -1, 0}, Int3{0, 1, 0},
                             Int3{0, 0, -1}, Int3{0, 0, 1}})
            if (Chunk* chunk = getChunk(world, cx + d.x, cy + d.y, cz + d.z)) buildChunkMesh(*chunk);
    }

    EXPECT_EQ(failures, "");
    EXPECT_GT(terrainViews_, views_ / 2) << "most views must show terrain to compare";
    std::printf("most pixels lost with the hidden chunks in one view: %d, %s\n", mostSeams_,
                worstSeams_.c_str());
}

// A 3-D checkerboard a player could build fills a chunk with more vertices
// than 16-bit indices can name: its list is drawn as 32-bit.
TEST_F(SkippedFaces, GivesThePictureOfEveryFaceOfAChunkBeyond16BitIndices) {
    World& world = sharedGeneratedWorld();
    Chunk& sky = *getChunk(world, 16, 6, 16);  // empty sky over the start
    // Cell (x, y, z) is at x * 256 + y * 16 + z: solid where x + y + z is odd.
    for (int i = 0; i < CHUNK_CELLS; ++i)
        sky.blocks[i] = ((i >> 8) + (i >> 4) + i) % 2 ? BLOCK_DEEP : BLOCK_AIR;
    buildChunkMesh(sky);
    EXPECT_GT(sky.mesh.positionCount / 3, 65536u);
    const std::string failures =
        compare(world, {"beside a checkerboard", {4000.0f, 1600.0f, 4224.0f}, 0.0f, 1.7f, false}) +
        compare(world, {"under a checkerboard", {4150.0f, 1400.0f, 4200.0f}, 0.5f, 0.3f, false});
    std::fill(sky.blocks, sky.blocks + CHUNK_CELLS, BLOCK_AIR);
    buildChunkMesh(sky);
    EXPECT_EQ(failures, "");
}

}  // namespace
