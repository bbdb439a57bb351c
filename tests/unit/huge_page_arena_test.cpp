// Huge-page arenas: which part of an arena may take huge pages, and the world
// built where aligned allocation fails and huge pages are off. (The edit soak
// checks every mesh of the usual arena world after many rebuilds.)

#include "world/huge_page_arena.h"

#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "app/world_setup.h"
#include "render/mesher.h"
#include "tests/support/test_worlds.h"

// The unit tests are linked with aligned_alloc and madvise wrapped (see
// tests/CMakeLists.txt), so that a world can be built as on a system that
// gives neither aligned memory nor huge pages.
int alignedRefusals = -1;  // counts refusals from 0 while refusing
extern "C" void* __real_aligned_alloc(std::size_t alignment, std::size_t bytes);
extern "C" int __real_madvise(void* address, std::size_t bytes, int advice);
extern "C" void* __wrap_aligned_alloc(std::size_t alignment, std::size_t bytes) {
    return alignedRefusals < 0 ? __real_aligned_alloc(alignment, bytes) : (++alignedRefusals, nullptr);
}
extern "C" int __wrap_madvise(void* address, std::size_t bytes, int advice) {
    if (alignedRefusals < 0) return __real_madvise(address, bytes, advice);
    errno = EINVAL;  // a kernel built without huge pages
    return -1;
}

namespace {

constexpr std::uintptr_t MB2 = HUGE_PAGE_BYTES;

TEST(HugePageArena, OnlyWholeAlignedHugePagesInsideTheArenaAreAdvised) {
    const struct {
        std::uintptr_t begin, bytes, adviseBegin, adviseBytes;
    } cases[] = {
        {5 * MB2, 3 * MB2, 5 * MB2, 3 * MB2},       // aligned: all of it
        {5 * MB2 + 16, 3 * MB2, 6 * MB2, 2 * MB2},  // ordinary memory: the pages inside
        {5 * MB2 + 4096, MB2, 0, 0},                // holds no whole page
        {5 * MB2, MB2 - 1, 0, 0},                   // one byte short of a page
        {UINTPTR_MAX - 100, 1000, 0, 0},            // the top of the address space
        {UINTPTR_MAX / MB2 * MB2 - MB2, SIZE_MAX, UINTPTR_MAX / MB2 * MB2 - MB2, MB2},  // no wrap-around
    };
    for (const auto& c : cases) {
        const PageSpan span = hugePageSpan(c.begin, c.bytes);
        EXPECT_EQ(span.bytes, c.adviseBytes) << std::hex << c.begin << " + " << c.bytes;
        if (c.adviseBytes) {
            EXPECT_EQ(span.begin, c.adviseBegin) << std::hex << c.begin;
        }
    }
}

TEST(HugePageArena, WithoutAlignedMemoryOrHugePagesTheWorldIsTheSame) {
    const World& usual = sharedGeneratedWorld();
    const std::size_t retiredBefore = retiredArenaBytes();
    {
        prctl(PR_SET_THP_DISABLE, 1, 0, 0, 0);  // this process under the policy `never`
        alignedRefusals = 0;
        TestWorld world(createWorld());
        const int refusals = alignedRefusals;
        alignedRefusals = -1;
        prctl(PR_SET_THP_DISABLE, 0, 0, 0, 0);
        EXPECT_GE(refusals, 2);  // the records' arena and the meshes'
        // A first mesh replaced by a rebuild stays in its arena.
        buildChunkMesh(*getChunk(*world, 16, 4, 16));
        EXPECT_GT(retiredArenaBytes(), retiredBefore);
        for (int slot = 0; slot < WORLD_CHUNK_COUNT; ++slot) {
            const Chunk &a = *world->chunks[slot], &b = *usual.chunks[slot];
            ASSERT_TRUE(std::memcmp(a.blocks, b.blocks, sizeof a.blocks) == 0 &&
                        std::memcmp(a.light, b.light, sizeof a.light) == 0 && copyOf(a.mesh) == copyOf(b.mesh))
                << "chunk slot " << slot;
        }
    }
    // The world went with its arenas (freeing anything twice ends the process).
    EXPECT_EQ(retiredArenaBytes(), retiredBefore);
}

}  // namespace
