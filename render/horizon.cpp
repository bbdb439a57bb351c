#include "render/horizon.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "world/block_kinds.h"

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double BINS_PER_RADIAN = HORIZON_BINS / (2 * PI);

// Footprints are measured from the corners of a grid of part columns, which
// the ground tiles' and chunk columns' corners are every few of.
constexpr int CORNER_UNITS = FACE_PART_UNITS;
constexpr int TILE_STEPS = GROUND_TILE_BLOCKS * UNITS_PER_BLOCK / CORNER_UNITS;
constexpr int CHUNK_STEPS = UNITS_PER_CHUNK / CORNER_UNITS;
constexpr int TILES_PER_CHUNK = CHUNK_EDGE / GROUND_TILE_BLOCKS;
static_assert(TILE_STEPS * CORNER_UNITS == GROUND_TILE_BLOCKS * UNITS_PER_BLOCK &&
                  CHUNK_EDGE % GROUND_TILE_BLOCKS == 0,
              "ground tiles must be whole part columns, and chunk columns whole tiles");
constexpr int CORNERS_X = WORLD_CHUNKS_X * CHUNK_STEPS + 1, CORNERS_Z = WORLD_CHUNKS_Z * CHUNK_STEPS + 1;

// A footprint seen from the eye: the azimuths it spans (a0 <= a1, less than
// half a turn apart) and its nearest and farthest horizontal distances.
struct Footprint {
    double a0, a1, nearest, farthest;
};

// The corners of the grid seen from the eye, each worked out once a frame,
// when a footprint first needs it.
struct CornerView {
    EyePoint eye;
    std::vector<double> azimuth, distance;
    std::vector<unsigned> frame;  // the frame each corner was last worked out in
    unsigned now = 0;

    void start(const EyePoint& from) {
        eye = from;
        if (frame.empty()) {
            azimuth.resize(CORNERS_X * CORNERS_Z);
            distance.resize(CORNERS_X * CORNERS_Z);
            frame.assign(CORNERS_X * CORNERS_Z, 0);
        }
        if (++now == 0) std::fill(frame.begin(), frame.end(), 0), now = 1;
    }
    int corner(int i, int j) {
        const int at = i * CORNERS_Z + j;
        if (frame[at] != now) {
            const double dx = CORNER_UNITS * i - eye.x, dz = CORNER_UNITS * j - eye.z;
            azimuth[at] = std::atan2(dz, dx);
            distance[at] = std::sqrt(dx * dx + dz * dz);
            frame[at] = now;
        }
        return at;
    }
};

// The footprint of grid cells i0 .. i1 - 1 by j0 .. j1 - 1; false when the
// eye stands over it (or within a unit of it).
bool footprintOf(CornerView& view, int i0, int j0, int i1, int j1, Footprint& out) {
    const EyePoint& eye = view.eye;
    const double x0 = CORNER_UNITS * i0, z0 = CORNER_UNITS * j0, x1 = CORNER_UNITS * i1,
                 z1 = CORNER_UNITS * j1;
    if (eye.x > x0 - 1 && eye.x < x1 + 1 && eye.z > z0 - 1 && eye.z < z1 + 1) return false;
    // Azimuths from the first corner's: the others lie less than half a turn from it.
    const int first = view.corner(i0, j0);
    double low = 0, high = 0, farthest = view.distance[first];
    for (const int other : {view.corner(i0, j1), view.corner(i1, j0), view.corner(i1, j1)}) {
        double a = view.azimuth[other] - view.azimuth[first];
        if (a > PI) a -= 2 * PI;
        if (a < -PI) a += 2 * PI;
        low = std::min(low, a);
        high = std::max(high, a);
        farthest = std::max(farthest, view.distance[other]);
    }
    const double dx = std::max({x0 - eye.x, 0.0, eye.x - x1}), dz = std::max({z0 - eye.z, 0.0, eye.z - z1});
    out = {view.azimuth[first] + low, view.azimuth[first] + high, std::sqrt(dx * dx + dz * dz), farthest};
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

// Whether the view's rows of pixels run along the grid: its heading within
// ROWS_ALONG_GRID of an axis. The world's edges across the view are then
// parallel to the rows, and a seam between two chunks' faces can line up with
// a whole row of pixel centres, where GL's rounding leaves a run of gaps in
// the ground. The view's right, across its rows, is the left plane's normal
// less the right plane's.
bool rowsAlongGrid(const FrustumPlanes& frustum) {
    const double rx = frustum.planes[1][0] - frustum.planes[0][0],
                 rz = frustum.planes[1][2] - frustum.planes[0][2];
    return std::min(std::fabs(rx), std::fabs(rz)) <= ROWS_ALONG_GRID * std::hypot(rx, rz);
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

// A column of parts (px + 4 pz) of a chunk that shows.
struct PartColumn {
    Footprint footprint;
    int slot, column;
};

// Bins are taken in sectors: 64 sectors, a bit each in a mask.
constexpr int SECTOR_BINS = HORIZON_BINS / 64;
static_assert(SECTOR_BINS * 64 == HORIZON_BINS, "the bins must fill 64 sectors");

// Calls `run(first, count)` for the bins first .. end - 1 (any integers),
// wrapped into 0 .. HORIZON_BINS - 1, a sector's share at a time.
template <typename Run>
void forBins(long first, long end, Run run) {
    while (first < end) {
        const int at = wrapBin(first);
        const int count = static_cast<int>(std::min<long>(end - first, SECTOR_BINS - at % SECTOR_BINS));
        run(at, count);
        first += count;
    }
}

// The horizon, raised by the ground tiles in order of their farthest
// distance. Only the sectors in `inView`, those the chunks in view touch, are
// kept: no other is read.
struct Horizon {
    std::vector<double> bins;
    std::vector<Slab> slabs;
    std::size_t next = 0;
    std::uint64_t inView = 0;

    // Marks the sectors a footprint touches as in view.
    void see(const Footprint& f) {
        forBins(binBelow(f.a0), binBelow(f.a1) + 1,
                [&](int at, int) { inView |= std::uint64_t{1} << (at / SECTOR_BINS); });
    }
    // Whether a footprint fills a bin of a sector in view.
    bool fillsInView(const Footprint& f) const {
        bool any = false;
        forBins(binBelow(f.a0) + 1, binBelow(f.a1),
                [&](int at, int) { any |= inView >> (at / SECTOR_BINS) & 1u; });
        return any;
    }
    // Raises it by every tile wholly nearer than `nearest`.
    void raiseBefore(double nearest) {
        for (; next < slabs.size() && slabs[next].footprint.farthest <= nearest; ++next) {
            const Slab& s = slabs[next];
            // The bins the footprint fills from edge to edge.
            forBins(binBelow(s.footprint.a0) + 1, binBelow(s.footprint.a1), [&](int at, int count) {
                if (inView >> (at / SECTOR_BINS) & 1u)
                    for (int b = at; b < at + count; ++b) bins[b] = std::max(bins[b], s.bound);
            });
        }
    }
    // The lowest it is over the bins a footprint touches, or any value at or
    // below `enough` once it is known to come down that far.
    double lowestOver(const Footprint& f, double enough) const {
        double lowest = HUGE_VAL;
        forBins(binBelow(f.a0), binBelow(f.a1) + 1, [&](int at, int count) {
            for (int b = at; b < at + count && lowest > enough; ++b) lowest = std::min(lowest, bins[b]);
        });
        return lowest;
    }
};

// A part column's place in the queue: its nearest distance and index.
struct Queued {
    double nearest;
    int index;
};
bool nearerLast(const Queued& a, const Queued& b) { return a.nearest > b.nearest; }

}  // namespace

void findHiddenChunks(const World& world, EyePoint eye, const FrustumPlanes& frustum, HiddenChunks& hidden) {
    std::fill(std::begin(hidden.parts), std::end(hidden.parts), 0);
    if (!eyeInOpenCell(world, eye)) return;

    // Kept from frame to frame, so that a frame allocates nothing.
    static CornerView view;
    static Horizon horizon;
    static std::vector<Candidate> candidates;
    static std::vector<PartColumn> partColumns;
    static std::vector<Queued> queue;  // a heap of part columns to take, the nearest on top
    view.start(eye);
    horizon.bins.assign(HORIZON_BINS, -HUGE_VAL);
    horizon.slabs.clear();
    horizon.next = 0;
    horizon.inView = 0;
    candidates.clear();
    partColumns.clear();
    queue.clear();

    for (int cx = 0; cx < WORLD_CHUNKS_X; ++cx)
        for (int cz = 0; cz < WORLD_CHUNKS_Z; ++cz) {
            Footprint f;
            if (!footprintOf(view, cx * CHUNK_STEPS, cz * CHUNK_STEPS, (cx + 1) * CHUNK_STEPS,
                             (cz + 1) * CHUNK_STEPS, f))
                continue;
            for (int cy = 0; cy < WORLD_CHUNKS_Y; ++cy) {
                const int slot = chunkSlot(cx, cy, cz);
                const Chunk* chunk = world.chunks[slot];
                if (!chunk || chunk->faces.faceCount == 0 || !chunkInFrustum(frustum, cx, cy, cz)) continue;
                candidates.push_back({f, slopeTo(eye, UNITS_PER_CHUNK * cy + chunk->faces.top, f), slot});
                horizon.see(f);
            }
        }
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return a.footprint.nearest < b.footprint.nearest;
    });

    // Where the rows run along the grid, the ground hides by whole chunk
    // columns and whole chunks only, as a run of gaps could show a chunk
    // behind fine tiles or parts.
    const bool fine = !rowsAlongGrid(frustum);
    const int step = fine ? 1 : TILES_PER_CHUNK;
    for (int tx = 0; tx < GROUND_TILES_X; tx += step)
        for (int tz = 0; tz < GROUND_TILES_Z; tz += step) {
            int depth = WORLD_CHUNKS_Y * CHUNK_EDGE;
            for (int i = tx; i < tx + step; ++i)
                for (int j = tz; j < tz + step; ++j)
                    depth = std::min<int>(depth, world.tileGroundDepth[i * GROUND_TILES_Z + j]);
            Footprint f;
            if (depth == 0 ||
                !footprintOf(view, tx * TILE_STEPS, tz * TILE_STEPS, (tx + step) * TILE_STEPS,
                             (tz + step) * TILE_STEPS, f) ||
                !horizon.fillsInView(f))
                continue;
            // The solid cells 0 .. depth - 1, drawn one block lower.
            horizon.slabs.push_back({f, slabBound(eye, UNITS_PER_BLOCK * (depth - 1), f)});
        }
    std::sort(horizon.slabs.begin(), horizon.slabs.end(),
              [](const Slab& a, const Slab& b) { return a.footprint.farthest < b.footprint.farthest; });

    // Chunks nearest first, and the part columns of those that show as they
    // come nearest.
    std::size_t next = 0;
    while (next < candidates.size() || !queue.empty()) {
        if (!queue.empty() &&
            (next == candidates.size() || queue.front().nearest <= candidates[next].footprint.nearest)) {
            std::pop_heap(queue.begin(), queue.end(), nearerLast);
            const PartColumn& p = partColumns[queue.back().index];
            queue.pop_back();
            horizon.raiseBefore(p.footprint.nearest);
            const Chunk& chunk = *world.chunks[p.slot];
            const int px = p.column % 4, pz = p.column / 4;
            double slopes[4];
            for (int py = 0; py < 4; ++py) {
                const int top = std::min<int>(chunk.faces.columnTop[p.column], partBoxTop(py));
                slopes[py] = slopeTo(eye, UNITS_PER_CHUNK * chunk.cy + top, p.footprint) + HORIZON_MARGIN;
            }
            const double lowest = horizon.lowestOver(p.footprint, slopes[0]);  // the lowest part's
            for (int py = 0; py < 4; ++py)
                if (lowest > slopes[py]) hidden.parts[p.slot] |= partBit(px, py, pz);
            continue;
        }
        const Candidate& c = candidates[next++];
        horizon.raiseBefore(c.footprint.nearest);
        if (horizon.lowestOver(c.footprint, c.slope + HORIZON_MARGIN) > c.slope + HORIZON_MARGIN) {
            hidden.parts[c.slot] = EVERY_PART;
            continue;
        }
        if (!fine) continue;
        const Chunk& chunk = *world.chunks[c.slot];
        for (int column = 0; column < 16; ++column) {
            const int i = chunk.cx * CHUNK_STEPS + column % 4, j = chunk.cz * CHUNK_STEPS + column / 4;
            Footprint f;
            if (!footprintOf(view, i, j, i + 1, j + 1, f)) continue;
            queue.push_back({f.nearest, static_cast<int>(partColumns.size())});
            std::push_heap(queue.begin(), queue.end(), nearerLast);
            partColumns.push_back({f, c.slot, column});
        }
    }
}
