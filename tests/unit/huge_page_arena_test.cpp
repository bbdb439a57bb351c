// Huge-page arenas: which part of an arena may take huge pages, and worlds
// whose chunk records and first meshes live in arenas: every mesh intact after
// rebuilds, everything freed once, and the same world when the aligned
// allocation fails or huge pages are off.

#include "world/huge_page_arena.h"

#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <random>

#include "render/block_textures.h"
#include "render/mesher.h"
#include "tests/support/reference_mesher.h"
#include "tests/support/test_worlds.h"

// The unit tests are linked with aligned_alloc and madvise wrapped (see
// tests/CMakeLists.txt), so that a world can be built as on a system that
// gives neither aligned memory nor huge pages.
int alignedRefusals = -1;  // counts refusals from 0 while refusing
extern "C" void* __real_aligned_alloc(std::size_t alignment, std::size_t bytes);
extern "C" int __real_madvise(void* address, std::size_t bytes, int advice);
extern "C" void* __wrap_aligned_alloc(std::size_t alignment, std::size_t bytes) {
    if (alignedRefusals < 0) return __real_aligned_alloc(alignment, bytes);
    ++alignedRefusals;
    return nullptr;
}
extern "C" int __wrap_madvise(void* address, std::size_t bytes, int advice) {
    if (alignedRefusals < 0) return __real_madvise(address, bytes, advice);
    errno = EINVAL;  // a kernel built without huge pages
    return -1;
}

namespace {

constexpr std::uintptr_t MB2 = HUGE_PAGE_BYTES;

TEST(HugePageArena, OnlyWholeAlignedHugePagesInsideTheArenaAreAdvised) {
    struct Case {
        std::uintptr_t begin;
        std::size_t bytes;
        std::uintptr_t adviseBegin;
        std::size_t adviseBytes;
    };
    const Case cases[] = {
        {5 * MB2, 3 * MB2, 5 * MB2, 3 * MB2},       // aligned: all of it
        {5 * MB2 + 16, 3 * MB2, 6 * MB2, 2 * MB2},  // ordinary memory: the pages inside
        {5 * MB2 + 4096, MB2, 0, 0},                // holds no whole page
        {5 * MB2, MB2 - 1, 0, 0},                   // one byte short of a page
        {UINTPTR_MAX - 100, 1000, 0, 0},            // the top of the address space
        {UINTPTR_MAX / MB2 * MB2 - MB2, SIZE_MAX, UINTPTR_MAX / MB2 * MB2 - MB2, MB2},  // no wrap-around
    };
    for (const Case& c : cases) {
        const PageSpan span = hugePageSpan(c.begin, c.bytes);
        EXPECT_EQ(span.bytes, c.adviseBytes) << std::hex << c.begin << " + " << c.bytes;
        if (c.adviseBytes) {
            EXPECT_EQ(span.begin, c.adviseBegin) << std::hex << c.begin;
        }
    }
}

// A world laid out as the game's, air but for random cells in its corner of
// 4 x 4 x 4 chunks: first meshes of many sizes side by side in one arena.
TestWorld makeArenaWorld() {
    TestWorld world(new World());
    allocateChunks(*world);
    for (Chunk* chunk : world->chunks) {
        std::memset(chunk->blocks, BLOCK_AIR, sizeof chunk->blocks);
        std::memset(chunk->light, TEST_LIGHT_OPEN, sizeof chunk->light);
    }
    std::mt19937 random(7);
    for (int i = 0; i < 3000; ++i) setWorldBlock(*world, random() % 64, random() % 64, random() % 64, BLOCK_DEEP);
    meshAllChunks(*world);
    return world;
}

// Every chunk's mesh against the reference mesher's build of its blocks:
// arrays carved over each other, or a rebuild that wrote over its neighbour
// in the arena, show here.
void expectMeshesIntact(World& world) {
    for (Chunk* chunk : world.chunks) {
        const ChunkMesh game = chunk->mesh;
        chunk->mesh = ChunkMesh{nullptr, nullptr, nullptr, 0, 0, 0};
        if (chunk->cx < 5 && chunk->cy < 5 && chunk->cz < 5) buildChunkMeshReference(*chunk);
        const ChunkMesh& want = chunk->mesh;
        EXPECT_TRUE(game.positionCount == want.positionCount && game.colourCount == want.colourCount &&
                    game.texCoordCount == want.texCoordCount &&
                    std::memcmp(game.positions, want.positions, game.positionCount * 2) == 0 &&
                    std::memcmp(game.colours, want.colours, game.colourCount) == 0 &&
                    std::memcmp(game.texCoords, want.texCoords, game.texCoordCount * 4) == 0)
            << "chunk " << chunk->cx << " " << chunk->cy << " " << chunk->cz;
        freeChunkMesh(chunk->mesh);
        chunk->mesh = game;
    }
}

// Edits inside the corner chunks of even cz and rebuilds them, so their meshes
// grow and shrink while each one's successor in the arena (cz + 1) keeps its
// first mesh; then checks every mesh.
void expectIntactAfterRebuilds(World& world) {
    expectMeshesIntact(world);
    std::mt19937 random(11);
    for (int i = 0; i < 300; ++i) {
        const int x = 1 + random() % 14 + 16 * (random() % 4), y = 1 + random() % 14 + 16 * (random() % 4),
                  z = 1 + random() % 14 + 32 * (random() % 2);
        setWorldBlock(world, x, y, z, random() % 3 ? BLOCK_SURFACE : BLOCK_AIR);
        buildChunkMesh(*getChunk(world, x / 16, y / 16, z / 16));
    }
    expectMeshesIntact(world);
}

TEST(HugePageArena, EveryMeshStaysIntactThroughRebuildsAndTheWorldIsFreedOnce) {
    setGameBlockTextures();
    const std::size_t retiredBefore = retiredArenaBytes();
    {
        TestWorld world = makeArenaWorld();
        expectIntactAfterRebuilds(*world);
        EXPECT_GT(retiredArenaBytes(), retiredBefore);  // replaced first meshes stay in their arena
    }
    // Freeing twice, or freeing arena memory by itself, ends the process
    // (AddressSanitizer names it); the arenas went with their world.
    EXPECT_EQ(retiredArenaBytes(), retiredBefore);
}

TEST(HugePageArena, WithoutAlignedMemoryOrHugePagesTheWorldIsTheSame) {
    setGameBlockTextures();
    prctl(PR_SET_THP_DISABLE, 1, 0, 0, 0);  // this process under the policy `never`
    alignedRefusals = 0;
    TestWorld world = makeArenaWorld();
    const int refusals = alignedRefusals;
    alignedRefusals = -1;
    prctl(PR_SET_THP_DISABLE, 0, 0, 0, 0);
    EXPECT_GE(refusals, 2);  // the records' arena and the meshes'
    expectIntactAfterRebuilds(*world);
}

}  // namespace
