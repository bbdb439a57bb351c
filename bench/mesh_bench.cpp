// The per-frame and per-chunk work of the running game on the generated
// world: meshing, rebuilding one surface chunk, a frame's player step, camera
// and pick, culling every chunk for a frame and finding the ones the ground
// hides, and one block edit with its neighbour rebuilds.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "player/camera.h"
#include "player/editing.h"
#include "player/tuning.h"
#include "render/frustum.h"
#include "render/horizon.h"
#include "render/mesher.h"
#include "tests/support/camera_matrices.h"
#include "tests/support/reference_mesher.h"
#include "tests/support/test_worlds.h"
#include "world/terrain.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::uint64_t totalPositions(const World& world) {
    std::uint64_t total = 0;
    for (const Chunk* chunk : world.chunks) total += chunk->mesh.positionCount;
    return total;
}

double meshAll(World& world, void (*mesher)(Chunk&)) {
    const auto start = Clock::now();
    for (Chunk* chunk : world.chunks) mesher(*chunk);
    benchmark::ClobberMemory();
    return secondsSince(start);
}

// Both meshers over the whole world in the same iteration, in alternating
// order; the time is the game's mesher's, the speed-up a counter.
void BM_MeshAllChunks(benchmark::State& state) {
    World& world = sharedGeneratedWorld();
    const std::uint64_t expected = totalPositions(world);
    meshAll(world, buildChunkMeshReference);
    if (totalPositions(world) != expected) {
        state.SkipWithError("the reference mesher disagrees with the game's: nothing to compare");
        return;
    }
    double fastTotal = 0, referenceTotal = 0;
    bool referenceFirst = false;
    for (auto _ : state) {
        referenceFirst = !referenceFirst;
        if (referenceFirst) referenceTotal += meshAll(world, buildChunkMeshReference);
        const double fast = meshAll(world, buildChunkMesh);
        fastTotal += fast;
        if (!referenceFirst) referenceTotal += meshAll(world, buildChunkMeshReference);
        state.SetIterationTime(fast);
    }
    meshAll(world, buildChunkMesh);
    state.counters["reference_ms"] = referenceTotal / static_cast<double>(state.iterations()) * 1e3;
    state.counters["speedup"] = referenceTotal / fastTotal;
    state.SetLabel("8192 chunks, game mesher vs plain reference; target speedup >= 10");
}
BENCHMARK(BM_MeshAllChunks)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

int faceCount(const Chunk& chunk) { return static_cast<int>(chunk.mesh.positionCount / POSITIONS_PER_FACE); }

// A chunk of the surface layers (4 and 5) with a typical face count.
Chunk* typicalSurfaceChunk(World& world) {
    Chunk* best = nullptr;
    for (Chunk* chunk : world.chunks) {
        if (chunk->cy != 4 && chunk->cy != 5) continue;
        const int faces = faceCount(*chunk);
        if (faces < 300 || faces > 450) continue;
        if (!best || std::abs(faces - 370) < std::abs(faceCount(*best) - 370)) best = chunk;
    }
    return best;
}

void BM_RebuildSurfaceChunk(benchmark::State& state) {
    Chunk* chunk = typicalSurfaceChunk(sharedGeneratedWorld());
    if (!chunk) {
        state.SkipWithError("no surface chunk with 300..450 faces");
        return;
    }
    for (auto _ : state) {
        buildChunkMesh(*chunk);
        benchmark::ClobberMemory();
    }
    state.counters["faces"] = faceCount(*chunk);
    state.SetLabel("target < 10 us");
}
BENCHMARK(BM_RebuildSurfaceChunk)->Unit(benchmark::kMicrosecond);

// Falls from the start position until standing, as the game's first frames do.
Player landedStartPlayer(World& world) {
    Player player = createPlayer(&world, 4096.0f, 2048.0f, 4096.0f);
    const PlayerInput idle = {};
    for (int frame = 0; frame < 10000; ++frame) {
        stepPlayer(player, idle);
        if (player.velocity.y == 0.0f) break;
    }
    return player;
}

void BM_CullAllChunks(benchmark::State& state) {
    Player player = landedStartPlayer(sharedGeneratedWorld());
    player.pitch = 1.5707964f;  // level
    player.yaw = 0.0f;
    const FrustumPlanes frustum = frustumFor(player);
    int visible = 0;
    for (auto _ : state) {
        visible = 0;
        for (int x = 0; x < WORLD_CHUNKS_X; ++x)
            for (int y = 0; y < WORLD_CHUNKS_Y; ++y)
                for (int z = 0; z < WORLD_CHUNKS_Z; ++z) visible += chunkInFrustum(frustum, x, y, z);
        benchmark::DoNotOptimize(visible);
    }
    state.counters["visible"] = visible;
    state.SetLabel("8192 chunks, level view from the landed start; target << 1 ms");
}
BENCHMARK(BM_CullAllChunks)->Unit(benchmark::kMicrosecond);

// The chunks the ground hides, from a quarter point looking across the centre
// of the world (the frame-rate bench's view): the culling's own cost a frame.
void BM_FindHiddenChunks(benchmark::State& state) {
    World& world = sharedGeneratedWorld();
    Player player = createPlayer(&world, 6144.0f, 16.0f * (columnHeight(384, 384) + 1), 6144.0f);
    player.pitch = 1.5707964f;
    player.yaw = -2.356f;
    const FrustumPlanes frustum = frustumFor(player);
    const EyePoint eye = {player.position.x, player.position.y + CAMERA_EYE_HEIGHT, player.position.z};
    static HiddenChunks hidden;
    for (auto _ : state) {
        findHiddenChunks(world, eye, frustum, hidden);
        benchmark::ClobberMemory();
    }
    int count = 0, parts = 0;
    for (int slot = 0; slot < WORLD_CHUNK_COUNT; ++slot)
        chunkHidden(hidden, slot) ? ++count : parts += __builtin_popcountll(hidden.parts[slot]);
    state.counters["hidden"] = count;
    state.counters["parts"] = parts;
    state.SetLabel("quarter point (384, 384), level, across the centre");
}
BENCHMARK(BM_FindHiddenChunks)->Unit(benchmark::kMicrosecond);

// The game logic of one frame without its window and GL calls: the player
// step while walking, the camera and the pick, from the landed start looking
// down at the ground ahead (every frame starts from the same state).
void BM_FrameLogic(benchmark::State& state) {
    Player start = landedStartPlayer(sharedGeneratedWorld());
    start.pitch = 2.8f;
    PlayerInput walking = {};
    walking.focused = true;
    walking.forward = true;
    walking.cursorDx = 3;
    std::int64_t hits = 0;
    double eyeSum = 0.0;
    for (auto _ : state) {
        Player player = start;
        stepPlayer(player, walking);
        eyeSum += cameraView(player, false).eye.x;
        hits += pickBlock(sharedGeneratedWorld(), player).hit ? 1 : 0;
        benchmark::DoNotOptimize(eyeSum);
        benchmark::DoNotOptimize(hits);
    }
    if (hits != state.iterations()) state.SkipWithError("the pick should hit the ground ahead every frame");
    state.SetLabel("walking, looking at the ground ahead; the frame budget is 16.7 ms");
}
BENCHMARK(BM_FrameLogic)->Unit(benchmark::kMicrosecond);

// A removable cell in a corner of its chunk whose three face neighbours all
// exist, preferring the terrain's top layer so the rebuilt chunks hold faces.
bool findCornerCell(const World& world, Int3& block) {
    bool found = false;
    for (const Chunk* chunk : world.chunks) {
        for (int corner = 0; corner < 8; ++corner) {
            const Int3 cell = {(corner & 1) ? 15 : 0, (corner & 2) ? 15 : 0, (corner & 4) ? 15 : 0};
            const Int3 n = {chunk->cx + (cell.x ? 1 : -1), chunk->cy + (cell.y ? 1 : -1),
                            chunk->cz + (cell.z ? 1 : -1)};
            if (!chunkCoordsInGrid(n.x, n.y, n.z)) continue;
            const BlockId kind = chunk->blocks[cellIndex(cell.x, cell.y, cell.z)];
            if (kind == BLOCK_AIR || kind == BLOCK_FLOOR) continue;
            const Int3 b = {16 * chunk->cx + cell.x, 16 * chunk->cy + cell.y, 16 * chunk->cz + cell.z};
            if (kind == BLOCK_SURFACE) {
                block = b;
                return true;
            }
            if (!found) block = b;
            found = true;
        }
    }
    return found;
}

void BM_EditChunkCorner(benchmark::State& state) {
    World& world = sharedGeneratedWorld();
    Int3 target = {0, 0, 0};
    if (!findCornerCell(world, target)) {
        state.SkipWithError("no removable chunk-corner cell");
        return;
    }
    // Standing above the cell, looking (almost) straight down at it.
    Player player = createPlayer(&world, 16.0f * target.x + 8.0f, 16.0f * target.y + 20.0f - PICK_EYE_HEIGHT,
                                 16.0f * target.z + 8.0f);
    player.pitch = PITCH_MAX;
    player.leftClick = true;
    const PickResult pick = pickBlock(world, player);
    if (!pick.hit || pick.block.x != target.x || pick.block.y != target.y || pick.block.z != target.z) {
        state.SkipWithError("the pick does not hit the chosen cell");
        return;
    }
    Chunk& chunk = *pick.hitChunk;
    const auto cx = static_cast<std::uint8_t>(pick.cell.x), cy = static_cast<std::uint8_t>(pick.cell.y),
               cz = static_cast<std::uint8_t>(pick.cell.z);
    const BlockId original = getBlock(chunk, cx, cy, cz);
    EditResult edit = {};
    for (auto _ : state) {
        edit = applyEdit(world, player, pick);
        state.PauseTiming();
        setBlock(chunk, cx, cy, cz, original);
        state.ResumeTiming();
    }
    for (int i = 0; i < edit.rebuiltCount; ++i) buildChunkMesh(*edit.rebuilt[i]);
    if (edit.outcome != EDIT_REMOVED) state.SkipWithError("the edit did not remove the block");
    state.counters["rebuilt"] = edit.rebuiltCount;
    state.SetLabel("remove a chunk-corner block, 4 meshes rebuilt; target << 1 ms");
}
BENCHMARK(BM_EditChunkCorner)->Unit(benchmark::kMicrosecond);

}  // namespace
