#pragma once
// Small hand-built worlds for tests: chunks of air with a chosen light byte,
// blocks placed by world coordinates, and one shared generated world.

#include <cstdint>
#include <memory>
#include <tuple>
#include <vector>

#include "player/player.h"

constexpr float PI = 3.1415927f;
constexpr float LEVEL = 1.5707964f;          // pitch of a level view
constexpr LightByte TEST_LIGHT_OPEN = 0xF8;  // sky 15, block 8: what open generated cells hold

struct TestWorldDeleter {
    void operator()(World* world) const { freeWorld(world); }
};
using TestWorld = std::unique_ptr<World, TestWorldDeleter>;

// A world with no chunks, or (allChunks) every slot holding an air chunk of `light`.
// Chunks keep the one-element mesh arrays newChunk gives them until meshed.
TestWorld makeTestWorld(bool allChunks, LightByte light = TEST_LIGHT_OPEN);

// Fills slot (cx, cy, cz) with a fresh air chunk of `light` (replacing any chunk there).
Chunk& addAirChunk(World& world, int cx, int cy, int cz, LightByte light = TEST_LIGHT_OPEN);
void addAirChunks(World& world, int cx0, int cx1, int cy0, int cy1, int cz0, int cz1);  // bounds included

// Cell access by world block coordinates (0..511, 0..127, 0..511). The chunk
// holding the cell must exist; a missing one aborts the test run with a message.
void setWorldBlock(World& world, int wx, int wy, int wz, BlockId id);
BlockId worldBlock(const World& world, int wx, int wy, int wz);
void setWorldLight(World& world, int wx, int wy, int wz, LightByte light);
LightByte worldLight(const World& world, int wx, int wy, int wz);

// Air chunks (0..2, 0..1, 0..2) over a DEEP floor in block rows 0..3 (top at
// y = 64), block columns 0..47: x and z from 0 to 768 stand on it.
TestWorld makeFloorWorld();

Player playerAt(float x, float y, float z, float yaw, float pitch, World* world = nullptr);

// A chunk mesh's arrays, copied for comparison.
using MeshCopy = std::tuple<std::vector<std::int16_t>, std::vector<std::uint8_t>, std::vector<float>>;
MeshCopy copyOf(const ChunkMesh& mesh);

// The generated world as the game starts it (game texture rows set, then
// createWorld), built on first use and shared by every test of the process.
// Kept reachable until exit.
World& sharedGeneratedWorld();
