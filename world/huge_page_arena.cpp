#include "world/huge_page_arena.h"

#include <cstdint>
#include <new>

#include "platform/platform.h"

namespace {

struct Arena {
    Arena* next;
    const World* owner;
    void* memory;
    std::size_t bytes;
    std::size_t retired;
};

// A plain pointer that outlives everything, so the arenas (and what records
// in them point to) stay reachable for leak checks until their world goes.
Arena* firstArena = nullptr;

Arena* arenaHolding(const void* p) {
    const auto address = reinterpret_cast<std::uintptr_t>(p);
    for (Arena* arena = firstArena; arena; arena = arena->next) {
        const auto begin = reinterpret_cast<std::uintptr_t>(arena->memory);
        if (address >= begin && address - begin < arena->bytes) return arena;
    }
    return nullptr;
}

}  // namespace

PageSpan hugePageSpan(std::uintptr_t begin, std::size_t bytes) {
    const PageSpan none = {begin, 0};
    if (begin > UINTPTR_MAX - (HUGE_PAGE_BYTES - 1)) return none;
    if (bytes > UINTPTR_MAX - begin) bytes = UINTPTR_MAX - begin;  // the address space ends there
    const std::uintptr_t first = (begin + HUGE_PAGE_BYTES - 1) / HUGE_PAGE_BYTES * HUGE_PAGE_BYTES;
    const std::uintptr_t end = (begin + bytes) / HUGE_PAGE_BYTES * HUGE_PAGE_BYTES;
    if (end <= first) return none;
    return {first, end - first};
}

void* allocateArena(const World& owner, std::size_t bytes) {
    if (bytes > SIZE_MAX - 2 * HUGE_PAGE_BYTES) throw std::bad_alloc();
    // Whole huge pages, with at least one byte to spare.
    const std::size_t capacity = bytes / HUGE_PAGE_BYTES * HUGE_PAGE_BYTES + HUGE_PAGE_BYTES;
    void* memory = allocateAlignedMemory(capacity, HUGE_PAGE_BYTES);
    if (!memory) throw std::bad_alloc();
    Arena* arena = new (std::nothrow) Arena{firstArena, &owner, memory, capacity, 0};
    if (!arena) {
        freeAlignedMemory(memory);
        throw std::bad_alloc();
    }
    firstArena = arena;
    // Construction writes all of this memory once, right after allocating
    // it. Faulted in 4 KB at a time, that cost more than the computation
    // itself (a page fault is dear, most of all in a virtual machine); in
    // 2 MB pages it is a small part. Where the kernel keeps huge pages off, or
    // the arena did not come aligned, the advice covers less or nothing and
    // the memory is simply ordinary.
    const PageSpan span = hugePageSpan(reinterpret_cast<std::uintptr_t>(memory), capacity);
    adviseHugePages(reinterpret_cast<void*>(span.begin), span.bytes);
    return memory;
}

bool retireFromArena(const void* p, std::size_t bytes) {
    Arena* arena = arenaHolding(p);
    if (!arena) return false;
    arena->retired += bytes;
    return true;
}

void releaseArenas(const World& owner) {
    for (Arena** link = &firstArena; *link;) {
        Arena* arena = *link;
        if (arena->owner != &owner) {
            link = &arena->next;
            continue;
        }
        *link = arena->next;
        freeAlignedMemory(arena->memory);
        delete arena;
    }
}

std::size_t retiredArenaBytes() {
    std::size_t bytes = 0;
    for (const Arena* arena = firstArena; arena; arena = arena->next) bytes += arena->retired;
    return bytes;
}
