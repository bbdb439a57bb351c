// What building the world costs at start-up, each figure next to the cost of
// simply writing the same bytes into fresh memory, timed alternately in the
// same iterations so both see the same machine.
//
// Each construction returns its memory to the kernel before the next one
// (malloc_trim), so every run faults in fresh pages as the one construction in
// a fresh game process does.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/world_setup.h"
#include "render/block_textures.h"
#include "render/mesher.h"
#include "world/terrain.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void freeWorld(World* world) {
    for (Chunk*& chunk : world->chunks) {
        freeChunkMesh(chunk->mesh);
        delete chunk;
        chunk = nullptr;
    }
    delete world;
}

// Gives freed memory back to the kernel so the next run starts cold.
void releaseFreedMemory() { malloc_trim(0); }

// Fresh arrays written byte by byte (as far as the compiler lets memset be),
// kept until released so the allocator cannot hand the same block back.
struct ScratchArrays {
    std::vector<std::uint8_t*> arrays;
};

void allocateAndFill(ScratchArrays& scratch, std::size_t bytes) {
    auto* p = new std::uint8_t[bytes];
    std::memset(p, 0x5A, bytes);
    benchmark::DoNotOptimize(p);
    scratch.arrays.push_back(p);
}

void releaseScratch(ScratchArrays& scratch) {
    for (std::uint8_t* p : scratch.arrays) delete[] p;
    scratch.arrays.clear();
}

// Byte sizes of the three mesh arrays of every chunk of the generated world.
struct MeshSizes {
    std::vector<std::size_t> bytes;  // positions, colours, texCoords per chunk, in slot order
    std::size_t total;
};

const MeshSizes& generatedMeshSizes() {
    static const MeshSizes sizes = [] {
        MeshSizes s{{}, 0};
        World* world = createWorld();
        for (const Chunk* chunk : world->chunks) {
            const ChunkMesh& m = chunk->mesh;
            const std::size_t three[3] = {m.positionCount * sizeof(std::int16_t), m.colourCount,
                                          m.texCoordCount * sizeof(float)};
            for (std::size_t b : three) {
                s.bytes.push_back(b);
                s.total += b;
            }
        }
        freeWorld(world);
        releaseFreedMemory();
        return s;
    }();
    return sizes;
}

// Runs `subject` and `baseline` once per iteration, in alternating order, with
// an untimed clean-up after each. The benchmark's time is the subject's; the
// baseline's mean and the ratio of the two totals are counters.
template <typename Subject, typename Baseline>
void timePair(benchmark::State& state, Subject subject, Baseline baseline, const char* target) {
    double subjectTotal = 0, baselineTotal = 0;
    bool baselineFirst = false;
    for (auto _ : state) {
        baselineFirst = !baselineFirst;
        double subjectSeconds = 0;
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == baselineFirst) {
                baselineTotal += baseline();
            } else {
                subjectSeconds = subject();
                subjectTotal += subjectSeconds;
            }
        }
        state.SetIterationTime(subjectSeconds);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["baseline_ms"] = baselineTotal / n * 1e3;
    state.counters["ratio"] = subjectTotal / baselineTotal;
    state.SetLabel(target);
}

// The same chunk-sized cell arrays as the world's blocks and light.
double writeCellArrays(ScratchArrays& scratch) {
    const auto start = Clock::now();
    for (int i = 0; i < WORLD_CHUNK_COUNT; ++i) {
        allocateAndFill(scratch, CHUNK_CELLS);
        allocateAndFill(scratch, CHUNK_CELLS);
    }
    benchmark::ClobberMemory();
    return secondsSince(start);
}

void BM_GenerateWorld(benchmark::State& state) {
    setGameBlockTextures();
    ScratchArrays scratch;
    scratch.arrays.reserve(2 * WORLD_CHUNK_COUNT);
    auto generate = [] {
        const auto start = Clock::now();
        World* world = new World();
        allocateChunks(*world);
        generateTerrain(*world);
        const double seconds = secondsSince(start);
        freeWorld(world);
        releaseFreedMemory();
        return seconds;
    };
    auto baseline = [&] {
        const double seconds = writeCellArrays(scratch);
        releaseScratch(scratch);
        releaseFreedMemory();
        return seconds;
    };
    timePair(state, generate, baseline, "allocate+generate vs 8192x2x4096 B written; target ratio <= 3");
}
BENCHMARK(BM_GenerateWorld)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ConstructWorld(benchmark::State& state) {
    setGameBlockTextures();
    const MeshSizes& sizes = generatedMeshSizes();
    ScratchArrays scratch;
    scratch.arrays.reserve(2 * WORLD_CHUNK_COUNT + sizes.bytes.size());
    auto construct = [] {
        const auto start = Clock::now();
        World* world = createWorld();
        const double seconds = secondsSince(start);
        freeWorld(world);
        releaseFreedMemory();
        return seconds;
    };
    // Cell arrays for every chunk, then every chunk's three mesh arrays at
    // their generated sizes, in the order the construction makes them.
    auto baseline = [&] {
        const auto start = Clock::now();
        writeCellArrays(scratch);
        for (std::size_t bytes : sizes.bytes) allocateAndFill(scratch, bytes);
        benchmark::ClobberMemory();
        const double seconds = secondsSince(start);
        releaseScratch(scratch);
        releaseFreedMemory();
        return seconds;
    };
    timePair(state, construct, baseline, "allocate+generate+mesh vs same bytes written; target ratio <= 2");
    state.counters["mesh_MB"] = static_cast<double>(sizes.total) / (1 << 20);
}
BENCHMARK(BM_ConstructWorld)->UseManualTime()->Unit(benchmark::kMillisecond);

bool hasFlag(int argc, char** argv, const char* name) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], name, std::strlen(name)) == 0) return true;
    return false;
}

}  // namespace

// Medians of repeated runs by default; any repetition flag given wins.
int main(int argc, char** argv) {
    static char repetitions[] = "--benchmark_repetitions=9";
    static char aggregatesOnly[] = "--benchmark_report_aggregates_only=true";
    std::vector<char*> args(argv, argv + argc);
    if (!hasFlag(argc, argv, "--benchmark_repetitions")) args.insert(args.begin() + 1, repetitions);
    if (!hasFlag(argc, argv, "--benchmark_report_aggregates_only") &&
        !hasFlag(argc, argv, "--benchmark_display_aggregates_only"))
        args.insert(args.begin() + 1, aggregatesOnly);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
