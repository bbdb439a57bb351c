// Many random edits through the game's own picking and editing path, on a
// generated world: every touched chunk, and in the end every chunk, must keep
// a mesh equal to a fresh build of its blocks, and the heap must grow by no
// more than the meshes did.

#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <set>
#include <vector>

#include "app/world_setup.h"
#include "player/editing.h"
#include "render/block_textures.h"
#include "render/mesher.h"
#include "tests/support/test_worlds.h"
#include "world/huge_page_arena.h"
#include "world/terrain.h"

// The sanitizer runtime's own count when it is linked in (its allocator does
// not report to mallinfo), the C library's otherwise.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));
std::size_t heapAllocated() {
    if (__sanitizer_get_current_allocated_bytes) return __sanitizer_get_current_allocated_bytes();
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}
// The first meshes sit in the world's huge-page arenas, which keep the bytes of
// those that edits replace: they count as given back.
std::size_t heapInUse() { return heapAllocated() - retiredArenaBytes(); }

namespace {

std::size_t meshBytes(const World& world) {
    std::size_t bytes = 0;
    for (const Chunk* c : world.chunks)
        bytes += c->mesh.positionCount * 2 + c->mesh.colourCount + c->mesh.texCoordCount * 4;
    return bytes;
}

// The chunk's stored mesh against a fresh build of a copy of it (the mesher
// itself is checked against a plain reference elsewhere).
::testing::AssertionResult meshIsFresh(const Chunk& chunk) {
    static Chunk scratch;
    std::memcpy(static_cast<void*>(&scratch), &chunk, sizeof(Chunk));
    scratch.mesh = ChunkMesh{new std::int16_t[1], new std::uint8_t[1], new float[1], 0, 0, 0};
    scratch.faces = ChunkFaceIndex{};
    buildChunkMesh(scratch);
    // The face codes the drawing selects by must follow the mesh too.
    const ChunkFaceIndex& fa = chunk.faces;
    const ChunkFaceIndex& fb = scratch.faces;
    const bool same = copyOf(chunk.mesh) == copyOf(scratch.mesh) && fa.faceCount == fb.faceCount &&
                      (fa.faceCount == 0 || std::memcmp(fa.codes, fb.codes, fa.faceCount) == 0);
    const std::uint32_t fresh = scratch.mesh.positionCount;
    freeChunkMesh(scratch.mesh);
    freeChunkFaceIndex(scratch.faces);
    if (same) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "chunk (" << chunk.cx << ", " << chunk.cy << ", " << chunk.cz
                                         << ") has a stale mesh: " << chunk.mesh.positionCount
                                         << " positions stored, " << fresh << " in a fresh build";
}

TEST(EditSoak, RandomEditsKeepEveryMeshFreshAndTheHeapFlat) {
    setGameBlockTextures();
    TestWorld world(createWorld());
    Player player = createPlayer(world.get(), 0, 0, 0);

    const std::size_t heapBefore = heapInUse();
    const std::size_t meshBefore = meshBytes(*world);

    std::mt19937 random(20261207);
    // Positions over the whole world and a margin outside its faces, angles in
    // every direction; half of them stand just above the generated surface,
    // where a player really edits, so most rays hit something.
    std::uniform_real_distribution<float> horizontal(-300.0f, 8192.0f + 300.0f);
    std::uniform_real_distribution<float> aboveGround(0.0f, 48.0f);
    std::uniform_real_distribution<float> anyHeight(-300.0f, 2048.0f + 300.0f);
    std::uniform_real_distribution<float> yaw(0.0f, 6.2831853f);
    std::uniform_real_distribution<float> pitch(PITCH_MIN, PITCH_MAX);
    std::uniform_int_distribution<int> coin(0, 3);

    constexpr int EDITS = 100000;
    constexpr int BATCH = 2000;
    int removed = 0, placed = 0, refused = 0;
    std::set<Chunk*> touched;
    for (int i = 1; i <= EDITS; ++i) {
        const float x = horizontal(random), z = horizontal(random);
        float y = anyHeight(random);
        if (coin(random) < 2 && x >= 0 && x < 8192 && z >= 0 && z < 8192)
            y = 16.0f *
                    static_cast<float>(columnHeight(static_cast<int>(x) / 16, static_cast<int>(z) / 16) + 1) +
                aboveGround(random);
        player.position = {x, y, z};
        player.yaw = yaw(random);
        player.pitch = pitch(random);
        player.leftClick = coin(random) < 2;
        player.rightClick = coin(random) >= 1;
        const PickResult pick = pickBlock(*world, player);
        const EditResult edit = applyEdit(*world, player, pick);
        if (edit.outcome == EDIT_REMOVED)
            ++removed;
        else if (edit.outcome == EDIT_PLACED)
            ++placed;
        else if (edit.outcome != EDIT_NONE)
            ++refused;
        if (pick.hit) {
            // The picked chunk and its face neighbours: an edit may reach any of them.
            touched.insert(pick.hitChunk);
            for (int axis = 0; axis < 3; ++axis)
                for (int step : {-1, 1}) {
                    const int d[3] = {axis == 0 ? step : 0, axis == 1 ? step : 0, axis == 2 ? step : 0};
                    if (Chunk* n =
                            getChunk(*world, pick.chunk.x + d[0], pick.chunk.y + d[1], pick.chunk.z + d[2]))
                        touched.insert(n);
                }
        }
        if (i % BATCH == 0) {
            for (const Chunk* chunk : touched) ASSERT_TRUE(meshIsFresh(*chunk)) << "after " << i << " edits";
            touched.clear();
        }
    }
    // Then every mesh, touched or not: no rebuild wrote over a first mesh
    // beside it in the world's arena.
    for (const Chunk* chunk : world->chunks) ASSERT_TRUE(meshIsFresh(*chunk)) << "after every edit";
    std::printf("soak: %d removed, %d placed, %d refused\n", removed, placed, refused);
    // The run must really have edited, in both directions, and been refused.
    EXPECT_GT(removed, EDITS / 20);
    EXPECT_GT(placed, EDITS / 50);
    EXPECT_GT(refused, 0);

    // Edits replace mesh arrays; nothing else may accumulate.
    const std::size_t heapAfter = heapInUse();
    const std::size_t meshAfter = meshBytes(*world);
    const long long meshGrowth = static_cast<long long>(meshAfter) - static_cast<long long>(meshBefore);
    const long long heapGrowth = static_cast<long long>(heapAfter) - static_cast<long long>(heapBefore);
    EXPECT_LE(heapGrowth, meshGrowth + (1 << 20))
        << "heap grew by " << heapGrowth << " bytes while the meshes grew by " << meshGrowth;
}

}  // namespace
