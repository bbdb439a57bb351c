#pragma once
// Which chunks in view the ground in front of them hides. Around the eye, the
// azimuth is cut into bins; each chunk column's solid ground (world/ground) is
// a slab from the floor up to its top, and along every line of sight in a bin
// that its footprint fills wholly, a slope (rise over horizontal distance) at
// or below a bound meets the slab within the column. Taken nearest first, the
// columns raise each bin's horizon; a chunk whose faces all lie farther than
// the columns that raised it, and whose highest face is below the horizon in
// every bin it touches, cannot show: every line of sight to it enters solid
// ground from the open world first, and so meets a drawn face there.
//
// Conservative: nothing is hidden unless the eye is in an open cell of the
// world, and a chunk must lie a margin below the horizon. The only pixels the
// picture can lose are those where rounding let a chunk behind the ground
// show through a seam of the ground in front.

#include <cstdint>

#include "render/face_index.h"
#include "render/frustum.h"
#include "world/world.h"

constexpr int HORIZON_BINS = 4096;
constexpr double HORIZON_MARGIN = 2e-3;  // in slope, about a pixel of the 640 x 480 view

struct HiddenChunks {
    std::uint64_t bits[WORLD_CHUNK_COUNT / 64];  // bit slot % 64 of word slot / 64
};

// Marks the chunks in `frustum` with faces that the ground hides from `eye`.
void findHiddenChunks(const World& world, EyePoint eye, const FrustumPlanes& frustum, HiddenChunks& hidden);

constexpr bool chunkHidden(const HiddenChunks& hidden, int slot) {
    return (hidden.bits[slot / 64] >> (slot % 64)) & 1u;
}
