// Builds the world the game starts with and prints what it cost and what it
// holds, with a checksum of every mesh so mesher changes can be proven to
// leave the arrays byte-identical.

#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "render/block_textures.h"
#include "render/mesher.h"
#include "world/terrain.h"

namespace {

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

struct Fnv1a64 {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    void byte(std::uint8_t b) {
        hash ^= b;
        hash *= 0x100000001b3ull;
    }
    void littleEndian(std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) byte(static_cast<std::uint8_t>(value >> (8 * i)));
    }
};

}  // namespace

int main() {
    setGameBlockTextures();
    static World world;

    auto start = std::chrono::steady_clock::now();
    allocateChunks(world);
    const double allocateMs = millisecondsSince(start);
    start = std::chrono::steady_clock::now();
    generateTerrain(world);
    const double generateMs = millisecondsSince(start);
    start = std::chrono::steady_clock::now();
    meshAllChunks(world);
    const double meshMs = millisecondsSince(start);

    Fnv1a64 fnv;
    std::uint64_t positions = 0, colours = 0, texCoords = 0;
    int nonEmpty = 0;
    for (const Chunk* chunk : world.chunks) {
        const ChunkMesh& m = chunk->mesh;
        positions += m.positionCount;
        colours += m.colourCount;
        texCoords += m.texCoordCount;
        if (m.positionCount > 0) ++nonEmpty;
        for (std::uint32_t i = 0; i < m.positionCount; ++i)
            fnv.littleEndian(static_cast<std::uint16_t>(m.positions[i]), 2);
        for (std::uint32_t i = 0; i < m.colourCount; ++i) fnv.byte(m.colours[i]);
        for (std::uint32_t i = 0; i < m.texCoordCount; ++i) {
            std::uint32_t bits;
            std::memcpy(&bits, &m.texCoords[i], sizeof bits);
            fnv.littleEndian(bits, 4);
        }
    }

    const std::uint64_t vertices = positions / 3;
    const std::uint64_t bytes = positions * 2 + colours + texCoords * 4;
    std::printf("time.allocate_ms: %.1f\n", allocateMs);
    std::printf("time.generate_ms: %.1f\n", generateMs);
    std::printf("time.mesh_ms: %.1f\n", meshMs);
    std::printf("time.total_ms: %.1f\n", allocateMs + generateMs + meshMs);
    std::printf("mesh.faces: %" PRIu64 "\n", vertices / 6);
    std::printf("mesh.vertices: %" PRIu64 "\n", vertices);
    std::printf("mesh.position_bytes: %" PRIu64 "\n", positions * 2);
    std::printf("mesh.colour_bytes: %" PRIu64 "\n", colours);
    std::printf("mesh.texcoord_bytes: %" PRIu64 "\n", texCoords * 4);
    std::printf("mesh.total_bytes: %" PRIu64 "\n", bytes);
    std::printf("chunks.total: %d\n", WORLD_CHUNK_COUNT);
    std::printf("chunks.non_empty: %d\n", nonEmpty);
    std::printf("mesh.fnv1a64: %016" PRIx64 "\n", fnv.hash);
    return 0;
}
