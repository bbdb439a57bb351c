// How many of the faces the game sends own a pixel of the picture, in the
// frame-rate bench's views: the world drawn off-screen with every face in its
// own colour (its number), the colours read back. Faces that own no pixel are
// all that any culling which keeps the picture could still leave out.
// Usage: visible_faces

#include <GL/gl.h>

#include <cstdio>
#include <set>
#include <vector>

#include "app/gl_view.h"
#include "app/world_setup.h"
#include "player/camera.h"
#include "render/block_textures.h"
#include "render/face_index.h"
#include "render/horizon.h"
#include "render/world_draw.h"
#include "tests/gl/offscreen_context.h"
#include "world/terrain.h"

namespace {

constexpr int WIDTH = 640, HEIGHT = 480;

struct View {
    const char* name;
    float x, z, yaw, pitch;
};

// Each face's six vertices in the colour of its number, from 1 (0 is the clear colour).
std::vector<std::vector<std::uint8_t>> faceNumberColours(const World& world, std::vector<int>& chunkOfFace) {
    std::vector<std::vector<std::uint8_t>> colours(WORLD_CHUNK_COUNT);
    chunkOfFace.assign(1, -1);
    for (int slot = 0; slot < WORLD_CHUNK_COUNT; ++slot) {
        const std::uint32_t faces = world.chunks[slot]->faces.faceCount;
        for (std::uint32_t f = 0; f < faces; ++f) {
            const auto n = static_cast<std::uint32_t>(chunkOfFace.size());
            chunkOfFace.push_back(slot);
            for (int v = 0; v < 6; ++v)
                colours[slot].insert(colours[slot].end(),
                                     {std::uint8_t(n >> 16), std::uint8_t(n >> 8), std::uint8_t(n), 255});
        }
    }
    return colours;
}

}  // namespace

int main() {
    OffscreenContext gl;
    if (!gl.open(WIDTH, HEIGHT)) {
        std::fprintf(stderr, "visible_faces: no off-screen GL context\n");
        return 1;
    }
    setGameBlockTextures();
    World* world = createWorld();
    std::vector<int> chunkOfFace;
    const std::vector<std::vector<std::uint8_t>> colours = faceNumberColours(*world, chunkOfFace);

    glViewport(0, 0, WIDTH, HEIGHT);
    setFixedGlState();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DITHER);
    glClearColor(0, 0, 0, 1);

    const View views[] = {
        {"start, looking down", 4096, 4096, 0, 1.9f},
        {"start, level", 4096, 4096, 0, 1.6f},
        {"quarter point, across centre", 6144, 6144, -2.356f, 1.5708f},
        {"quarter point, diagonal", 2048, 2048, 0.78f, 1.5708f},
        {"quarter point, along x", 2048, 2048, 0, 1.5708f},
        {"centre, diagonal", 4096, 4096, 0.78f, 1.5708f},
        {"west edge, looking in", 512, 4096, 0, 1.5708f},
    };
    std::printf("%-30s %12s %12s %12s %14s %14s\n", "view", "faces sent", "sent, hidden", "own a pixel",
                "chunks sending", "chunks owning");
    for (const View& v : views) {
        Player player =
            createPlayer(world, v.x, 16.0f * (columnHeight(int(v.x / 16), int(v.z / 16)) + 1), v.z);
        player.yaw = v.yaw;
        player.pitch = v.pitch;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        setProjection(WIDTH, HEIGHT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        loadCamera(player, false);
        extractFrustum();
        float projection[16], modelview[16];
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
        const EyePoint eye = eyeOfView(projection, modelview);
        static HiddenChunks hidden;
        findHiddenChunks(*world, eye, frustumPlanes, hidden);

        long sent = 0, sentUnhidden = 0;
        int chunksSending = 0;
        for (int x = 0; x < WORLD_CHUNKS_X; ++x)
            for (int y = 0; y < WORLD_CHUNKS_Y; ++y)
                for (int z = 0; z < WORLD_CHUNKS_Z; ++z) {
                    if (!chunkInFrustum(frustumPlanes, x, y, z)) continue;
                    const int slot = chunkSlot(x, y, z);
                    Chunk& chunk = *world->chunks[slot];
                    const std::uint32_t key = faceSelectionKey(eye, x, y, z);
                    const std::uint64_t parts = partsInView(frustumPlanes, x, y, z);
                    sent += selectFaces(chunk.faces, chunk.mesh.positions, key, parts) / 6;
                    const long unhidden =
                        selectFaces(chunk.faces, chunk.mesh.positions, key, parts & ~hidden.parts[slot]) / 6;
                    sentUnhidden += unhidden;
                    chunksSending += unhidden > 0;
                    // Every face of the chunk, each in its own colour.
                    glTranslatef(256.0f * x, 256.0f * y, 256.0f * z);
                    glVertexPointer(3, GL_SHORT, 0, chunk.mesh.positions);
                    glColorPointer(4, GL_UNSIGNED_BYTE, 0, colours[slot].data());
                    glTexCoordPointer(2, GL_FLOAT, 0, chunk.mesh.texCoords);
                    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(chunk.mesh.positionCount / 3));
                    glTranslatef(-256.0f * x, -256.0f * y, -256.0f * z);
                }
        glFinish();
        std::set<std::uint32_t> owning;
        std::set<int> owningChunks;
        for (std::size_t i = 0; i < gl.pixels.size(); i += 4) {
            const std::uint32_t n = gl.pixels[i] << 16 | gl.pixels[i + 1] << 8 | gl.pixels[i + 2];
            if (n == 0 || n >= chunkOfFace.size()) continue;
            owning.insert(n);
            owningChunks.insert(chunkOfFace[n]);
        }
        std::printf("%-30s %12ld %12ld %12zu %14d %14zu\n", v.name, sent, sentUnhidden, owning.size(),
                    chunksSending, owningChunks.size());
    }
    return 0;
}
