#include "render/horizon.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "world/block_kinds.h"

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double BINS_PER_RADIAN = HORIZON_BINS / (2 * PI);

// A footprint seen from the eye: the azimuths it spans (a0 <= a1, less than
// half a turn apart) and its nearest and farthest horizontal distances.
struct Footprint {
    double a0, a1, nearest, farthest;
};

// False when the eye stands over the footprint (or within a unit of it).
bool footprintOf(const EyePoint& eye, double x0, double z0, double x1, double z1, Footprint& out) {
    if (eye.x > x0 - 1 && eye.x < x1 + 1 && eye.z > z0 - 1 && eye.z < z1 + 1) return false;
    const double centre = std::atan2(0.5 * (z0 + z1) - eye.z, 0.5 * (x0 + x1) - eye.x);
    double low = 0, high = 0, farthest = 0;
    for (const double x : {x0, x1})
        for (const double z : {z0, z1}) {
            double a = std::atan2(z - eye.z, x - eye.x) - centre;
            if (a > PI) a -= 2 * PI;
            if (a < -PI) a += 2 * PI;
            low = std::min(low, a);
            high = std::max(high, a);
            farthest = std::max(farthest, std::hypot(x - eye.x, z - eye.z));
        }
    const double dx = std::max({x0 - eye.x, 0.0, eye.x - x1}), dz = std::max({z0 - eye.z, 0.0, eye.z - z1});
    out = {centre + low, centre + high, std::hypot(dx, dz), farthest};
    return true;
}

// The steepest slope from the eye to a height over a footprint: reached at
// its nearest point when the height is above the eye, its farthest below.
double slopeTo(const EyePoint& eye, double height, const Footprint& f) {
    return (height - eye.y) / (height >= eye.y ? f.nearest : f.farthest);
}

// A slope no line of sight over the footprint can pass under without
// meeting a slab up to `top`: the least of the above, at the other ends.
double slabBound(const EyePoint& eye, double top, const Footprint& f) {
    return (top - eye.y) / (top >= eye.y ? f.farthest : f.nearest);
}

long binBelow(double azimuth) { return static_cast<long>(std::floor((azimuth + PI) * BINS_PER_RADIAN)); }
int wrapBin(long bin) { return static_cast<int>(((bin % HORIZON_BINS) + HORIZON_BINS) % HORIZON_BINS); }

bool eyeInOpenCell(const World& world, const EyePoint& eye) {
    if (!std::isfinite(eye.x) || !std::isfinite(eye.y) || !std::isfinite(eye.z)) return false;
    // Cells are drawn one block below their place in the data.
    const double bx = std::floor(eye.x / UNITS_PER_BLOCK), by = std::floor(eye.y / UNITS_PER_BLOCK) + 1,
                 bz = std::floor(eye.z / UNITS_PER_BLOCK);
    if (bx < 0 || by < 0 || bz < 0 || bx >= WORLD_CHUNKS_X * CHUNK_EDGE ||
        by >= WORLD_CHUNKS_Y * CHUNK_EDGE || bz >= WORLD_CHUNKS_Z * CHUNK_EDGE)
        return false;
    const int x = static_cast<int>(bx), y = static_cast<int>(by), z = static_cast<int>(bz);
    const Chunk* chunk = world.chunks[chunkSlot(x / CHUNK_EDGE, y / CHUNK_EDGE, z / CHUNK_EDGE)];
    return chunk && isOpenBlock(chunk->blocks[cellIndex(x % CHUNK_EDGE, y % CHUNK_EDGE, z % CHUNK_EDGE)]);
}

struct Slab {
    Footprint footprint;
    double bound;
};

struct Candidate {
    Footprint footprint;
    double slope;
    int slot;
};

}  // namespace

void findHiddenChunks(const World& world, EyePoint eye, const FrustumPlanes& frustum, HiddenChunks& hidden) {
    std::fill(std::begin(hidden.bits), std::end(hidden.bits), 0);
    if (!eyeInOpenCell(world, eye)) return;

    // Kept from frame to frame, so that a frame allocates nothing.
    static std::vector<Slab> slabs;
    static std::vector<Candidate> candidates;
    static std::vector<double> horizon;
    slabs.clear();
    candidates.clear();
    horizon.assign(HORIZON_BINS, -HUGE_VAL);
    constexpr int TILE_UNITS = GROUND_TILE_BLOCKS * UNITS_PER_BLOCK;
    for (int tx = 0; tx < GROUND_TILES_X; ++tx)
        for (int tz = 0; tz < GROUND_TILES_Z; ++tz) {
            const int depth = world.tileGroundDepth[tx * GROUND_TILES_Z + tz];
            Footprint f;
            if (depth == 0 || !footprintOf(eye, TILE_UNITS * tx, TILE_UNITS * tz, TILE_UNITS * (tx + 1),
                                           TILE_UNITS * (tz + 1), f))
                continue;
            // The solid cells 0 .. depth - 1, drawn one block lower.
            slabs.push_back({f, slabBound(eye, UNITS_PER_BLOCK * (depth - 1), f)});
        }
    std::sort(slabs.begin(), slabs.end(),
              [](const Slab& a, const Slab& b) { return a.footprint.farthest < b.footprint.farthest; });

    for (int cx = 0; cx < WORLD_CHUNKS_X; ++cx)
        for (int cy = 0; cy < WORLD_CHUNKS_Y; ++cy)
            for (int cz = 0; cz < WORLD_CHUNKS_Z; ++cz) {
                const int slot = chunkSlot(cx, cy, cz);
                const Chunk* chunk = world.chunks[slot];
                if (!chunk || chunk->faces.faceCount == 0 || !chunkInFrustum(frustum, cx, cy, cz)) continue;
                Footprint f;
                if (!footprintOf(eye, UNITS_PER_CHUNK * cx, UNITS_PER_CHUNK * cz, UNITS_PER_CHUNK * (cx + 1),
                                 UNITS_PER_CHUNK * (cz + 1), f))
                    continue;
                candidates.push_back({f, slopeTo(eye, UNITS_PER_CHUNK * cy + chunk->faces.top, f), slot});
            }
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return a.footprint.nearest < b.footprint.nearest;
    });

    std::size_t next = 0;
    for (const Candidate& c : candidates) {
        // Only ground wholly nearer than the chunk stands in front of it.
        for (; next < slabs.size() && slabs[next].footprint.farthest <= c.footprint.nearest; ++next) {
            const Slab& s = slabs[next];
            // The bins the footprint fills from edge to edge.
            for (long b = binBelow(s.footprint.a0) + 1; b < binBelow(s.footprint.a1); ++b)
                horizon[wrapBin(b)] = std::max(horizon[wrapBin(b)], s.bound);
        }
        bool below = true;
        for (long b = binBelow(c.footprint.a0); b <= binBelow(c.footprint.a1) && below; ++b)
            below = horizon[wrapBin(b)] > c.slope + HORIZON_MARGIN;
        if (below) hidden.bits[c.slot / 64] |= std::uint64_t{1} << (c.slot % 64);
    }
}
