#pragma once
// Which chunks in view, and which parts of them, the ground in front hides.
// Around the eye, the azimuth is cut into bins; each ground tile's solid
// ground (world/ground) is a slab from the floor up to its top, and along
// every line of sight in a bin that its footprint fills wholly, a slope (rise
// over horizontal distance) at or below a bound meets the slab within the
// tile. Taken nearest first, the tiles raise each bin's horizon; a chunk whose
// faces all lie farther than the tiles that raised it, and whose highest face
// is below the horizon in every bin it touches, cannot show: every line of
// sight to it enters solid ground from the open world first, and so meets a
// drawn face there. A chunk that shows is taken again by its columns of parts
// (render/face_index), each part with the highest face of its column or the
// top of its box, whichever is lower.
//
// Conservative: nothing is hidden unless the eye is in an open cell of the
// world, and a chunk must lie a margin below the horizon. The only pixels the
// picture can lose are those where rounding let a chunk behind the ground
// show through a seam of the ground in front. Where the view's rows of pixels
// run along the grid, a seam can line up with a whole row, and only whole
// chunk columns of ground hide, whole chunks.

#include <cstdint>

#include "render/face_index.h"
#include "render/frustum.h"
#include "world/world.h"

constexpr int HORIZON_BINS = 4096;
constexpr double HORIZON_MARGIN = 2e-3;   // in slope, about a pixel of the 640 x 480 view
constexpr double ROWS_ALONG_GRID = 1e-3;  // of the view's heading from an axis, in radians (the sine)

struct HiddenChunks {
    std::uint64_t parts[WORLD_CHUNK_COUNT];  // each chunk's hidden parts, as partsInView's bits
};

// Marks the chunks and parts in `frustum` that the ground hides from `eye`.
void findHiddenChunks(const World& world, EyePoint eye, const FrustumPlanes& frustum, HiddenChunks& hidden);

constexpr bool chunkHidden(const HiddenChunks& hidden, int slot) { return hidden.parts[slot] == EVERY_PART; }
