// Start-up blocks: which part of a block may take huge pages (a block that
// came back unaligned, or too small, gets less or none, and works the same),
// and the first meshes that live in the world's block until edits replace them.

#include "world/startup_block.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "render/block_textures.h"
#include "render/mesher.h"
#include "tests/support/test_worlds.h"

namespace {

constexpr std::uintptr_t MB2 = HUGE_PAGE_BYTES;

TEST(StartupBlock, OnlyWholeAlignedHugePagesInsideTheBlockAreAdvised) {
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

TEST(StartupBlock, FirstMeshesStayInTheWorldsBlockUntilARebuildReplacesThem) {
    setGameBlockTextures();
    const std::size_t retiredBefore = retiredStartupBytes();
    {
        TestWorld world = makeTestWorld(true);
        // One floating cell in each of two chunks: 6 faces of 108 bytes each.
        setWorldBlock(*world, 40, 40, 40, BLOCK_SURFACE);
        setWorldBlock(*world, 200, 40, 40, BLOCK_SURFACE);
        meshAllChunks(*world);
        Chunk& first = *getChunk(*world, 2, 2, 2);
        Chunk& second = *getChunk(*world, 12, 2, 2);
        ASSERT_EQ(first.mesh.positionCount, 6 * POSITIONS_PER_FACE);
        // Both meshes sit in the world's first mesh block, in slot order, exactly sized.
        const auto* firstEnd =
            reinterpret_cast<const unsigned char*>(first.mesh.texCoords + 6 * TEXCOORDS_PER_FACE);
        EXPECT_EQ(reinterpret_cast<const unsigned char*>(second.mesh.positions), firstEnd);
        EXPECT_EQ(retiredStartupBytes(), retiredBefore);

        // The rebuild takes its arrays from the heap and leaves the old ones
        // retired in the block (ASan reports a free of block memory).
        setWorldBlock(*world, 40, 41, 40, BLOCK_SURFACE);
        buildChunkMesh(first);
        EXPECT_EQ(first.mesh.positionCount, 10 * POSITIONS_PER_FACE);
        EXPECT_EQ(retiredStartupBytes(), retiredBefore + 6 * 108);
        EXPECT_FALSE(retireFromStartupBlock(first.mesh.positions, 0));
        EXPECT_TRUE(retireFromStartupBlock(second.mesh.positions, 0));
    }
    // The world took its block with it (LeakSanitizer reports one left behind).
    EXPECT_EQ(retiredStartupBytes(), retiredBefore);
}

}  // namespace
