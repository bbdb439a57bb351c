#pragma once
// Huge-page arenas: large allocations, advised for huge pages, for what
// construction makes in a single pass (one for the chunk records, 16 MiB ones
// for the first meshes, about three of them), carved into records that stay
// separate. An arena belongs to the
// world it was made for and goes with it; a record freed before then stays
// inside the arena.

#include <cstddef>
#include <cstdint>

struct World;

constexpr std::size_t HUGE_PAGE_BYTES = std::size_t{2} << 20;

// The whole huge pages inside [begin, begin + bytes): what may be advised.
// Empty (bytes 0) when the range holds no aligned huge page.
struct PageSpan {
    std::uintptr_t begin;
    std::size_t bytes;
};
PageSpan hugePageSpan(std::uintptr_t begin, std::size_t bytes);

// An arena of at least `bytes` bytes (one past its end still inside it), owned
// by `owner`. Aligned to a huge page when the allocator can; ordinary memory
// otherwise. Throws std::bad_alloc when there is no memory at all.
void* allocateArena(const World& owner, std::size_t bytes);

// True when `p` lies in a live arena: the caller must not free it by itself,
// and its `bytes` count as retired until the arena goes.
bool retireFromArena(const void* p, std::size_t bytes);

// Frees every arena that `owner` owns.
void releaseArenas(const World& owner);

// Bytes retired from all live arenas: freed, but still held by their arena.
std::size_t retiredArenaBytes();
