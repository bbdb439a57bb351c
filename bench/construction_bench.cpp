// What building the world costs at start-up, each figure next to the cost of
// simply writing the same bytes into fresh memory, timed alternately in the
// same iterations so both see the same machine.
//
// Each construction returns its memory to the kernel before the next one
// (malloc_trim), so every run faults in fresh pages as the one construction in
// a fresh game process does. BM_ConstructWorld goes further and times the
// game's one construction in a new process of its own, beside the same
// construction repeated in that process once it is warm.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

// Bytes of all mesh arrays of the generated world.
std::size_t generatedMeshBytes() {
    static const std::size_t total = [] {
        std::size_t bytes = 0;
        World* world = createWorld();
        for (const Chunk* chunk : world->chunks) {
            const ChunkMesh& m = chunk->mesh;
            bytes += m.positionCount * sizeof(std::int16_t) + m.colourCount + m.texCoordCount * sizeof(float);
        }
        freeWorld(world);
        releaseFreedMemory();
        return bytes;
    }();
    return total;
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

// The bench binary run again with this flag builds the world once, as the
// game's fresh process does, then repeats it warm; it prints both times and
// the page faults of a warm repeat.
constexpr const char* FRESH_PROCESS_FLAG = "--construct-in-this-fresh-process";
constexpr int WARM_REPEATS = 5;
// More than the repeats' blocks and arrays need, however the allocator places them.
constexpr std::size_t WARM_HEAP_BYTES = std::size_t{768} << 20;

long minorFaults() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

double timeCreateWorld() {
    const auto start = Clock::now();
    World* world = createWorld();
    const double seconds = secondsSince(start);
    freeWorld(world);
    return seconds;
}

int constructInFreshProcess() {
    setGameBlockTextures();
    const double fresh = timeCreateWorld();
    // Warm from here: the allocator keeps everything in its heap (no mappings
    // of its own, no trimming), and the heap is grown and written once, so
    // the repeats find their pages already faulted in.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
    auto* room = static_cast<volatile unsigned char*>(std::malloc(WARM_HEAP_BYTES));
    if (!room) return 1;
    for (std::size_t i = 0; i < WARM_HEAP_BYTES; i += 4096) room[i] = 1;
    std::free(const_cast<unsigned char*>(room));
    std::vector<double> warm;
    const long faultsBefore = minorFaults();
    for (int i = 0; i < WARM_REPEATS; ++i) warm.push_back(timeCreateWorld());
    const long faults = (minorFaults() - faultsBefore) / WARM_REPEATS;
    std::sort(warm.begin(), warm.end());
    std::printf("%.6f %.6f %ld\n", fresh, warm[WARM_REPEATS / 2], faults);
    return 0;
}

struct FreshAndWarm {
    double fresh;
    double warm;
    long warmFaults;
};

// Runs this binary in fresh-process mode and reads its two times; false when
// it could not be run or said nothing readable.
bool runFreshProcess(FreshAndWarm& out) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    char self[] = "/proc/self/exe";
    std::string flag = FRESH_PROCESS_FLAG;
    char* args[] = {self, flag.data(), nullptr};
    pid_t pid;
    const int spawned = posix_spawn(&pid, self, &actions, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        return false;
    }
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
           std::sscanf(text.c_str(), "%lf %lf %ld", &out.fresh, &out.warm, &out.warmFaults) == 3;
}

constexpr std::size_t HUGE_PAGE = std::size_t{2} << 20;

// Writes `bytes` into memory just mapped from the kernel, advised for or
// against transparent huge pages: the least a fresh construction can cost.
double writeFreshMapping(std::size_t bytes, bool hugePages) {
    const std::size_t rounded = (bytes + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE;
    const std::size_t span = rounded + HUGE_PAGE;
    const auto start = Clock::now();
    void* map = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map == MAP_FAILED) return 0;
    const auto address = reinterpret_cast<std::uintptr_t>(map);
    auto* block = reinterpret_cast<std::uint8_t*>((address + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE);
    madvise(block, rounded, hugePages ? MADV_HUGEPAGE : MADV_NOHUGEPAGE);
    std::memset(block, 0x5A, bytes);
    benchmark::DoNotOptimize(block);
    benchmark::ClobberMemory();
    const double seconds = secondsSince(start);
    munmap(map, span);
    return seconds;
}

// One fresh game process per iteration. The time is its one construction;
// the counters are the warm repeats, their ratio, and the fresh write bound
// for the same bytes (chunk records and first meshes) without and with huge pages.
void BM_ConstructWorld(benchmark::State& state) {
    setGameBlockTextures();
    const std::size_t bytes = WORLD_CHUNK_COUNT * sizeof(Chunk) + generatedMeshBytes();
    double fresh = 0, warm = 0, warmFaults = 0, plainWrite = 0, hugeWrite = 0;
    for (auto _ : state) {
        FreshAndWarm run;
        if (!runFreshProcess(run)) {
            state.SkipWithError("the fresh construction process failed");
            return;
        }
        fresh += run.fresh;
        warm += run.warm;
        warmFaults += static_cast<double>(run.warmFaults);
        plainWrite += writeFreshMapping(bytes, false);
        hugeWrite += writeFreshMapping(bytes, true);
        state.SetIterationTime(run.fresh);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["warm_ms"] = warm / n * 1e3;
    state.counters["fresh_vs_warm"] = fresh / warm;
    state.counters["warm_faults"] = warmFaults / n;
    state.counters["write_4k_ms"] = plainWrite / n * 1e3;
    state.counters["write_2m_ms"] = hugeWrite / n * 1e3;
    state.counters["MB"] = static_cast<double>(bytes) / (1 << 20);
    state.SetLabel("fresh process vs warm repeats; target fresh_vs_warm <= 1.5");
}
BENCHMARK(BM_ConstructWorld)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

bool hasFlag(int argc, char** argv, const char* name) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], name, std::strlen(name)) == 0) return true;
    return false;
}

}  // namespace

// Medians of repeated runs by default; any repetition flag given wins.
int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], FRESH_PROCESS_FLAG) == 0) return constructInFreshProcess();
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
