#pragma once
// The block world: a fixed grid of 32 x 8 x 32 chunks of 16^3 cells, and the
// lookups that carry on across chunk borders.

#include <cstdint>

using BlockId = std::uint8_t;
using LightByte = std::uint8_t;  // high nibble sky light, low nibble block light

constexpr BlockId BLOCK_AIR = 0;
constexpr BlockId BLOCK_DEEP = 1;
constexpr BlockId BLOCK_SURFACE = 2;
constexpr BlockId BLOCK_SUBSURFACE = 3;
constexpr BlockId BLOCK_TRANSLUCENT = 7;
constexpr BlockId BLOCK_FLOOR = 8;

constexpr int CHUNK_EDGE = 16;  // cells per chunk edge
constexpr int CHUNK_CELLS = CHUNK_EDGE * CHUNK_EDGE * CHUNK_EDGE;
constexpr int WORLD_CHUNKS_X = 32;
constexpr int WORLD_CHUNKS_Y = 8;
constexpr int WORLD_CHUNKS_Z = 32;
constexpr int WORLD_CHUNK_COUNT = WORLD_CHUNKS_X * WORLD_CHUNKS_Y * WORLD_CHUNKS_Z;

// World lengths are in sub-block units: 16 to a block edge, 256 to a chunk edge.
constexpr int UNITS_PER_BLOCK = 16;
constexpr int UNITS_PER_CHUNK = 256;
constexpr float BLOCKS_PER_UNIT = 1.0f / UNITS_PER_BLOCK;  // 0.0625, exact
constexpr float CHUNKS_PER_UNIT = 1.0f / UNITS_PER_CHUNK;  // 0.00390625, exact

// The ground that hides the terrain behind it is kept in square tiles of
// block columns (world/ground), half a chunk wide: tiles of 4 hide a little
// more, but take longer to sweep than the faces they save.
constexpr int GROUND_TILE_BLOCKS = 8;
constexpr int GROUND_TILES_X = WORLD_CHUNKS_X * CHUNK_EDGE / GROUND_TILE_BLOCKS;
constexpr int GROUND_TILES_Z = WORLD_CHUNKS_Z * CHUNK_EDGE / GROUND_TILE_BLOCKS;

struct World;

// Client-side vertex arrays in the exact types the draw call consumes.
struct ChunkMesh {
    std::int16_t* positions;  // x, y, z per vertex, relative to the chunk origin
    std::uint8_t* colours;    // r, g, b, a per vertex
    float* texCoords;         // s, t per vertex
    std::uint32_t positionCount;
    std::uint32_t colourCount;
    std::uint32_t texCoordCount;
};

// Derived from the chunk's mesh and rebuilt with it, never the other way
// round: what the drawing needs to send only the faces that can face the eye,
// in the mesh's own order (see render/face_index.h).
struct ChunkFaceIndex {
    std::uint8_t* codes;  // one per face of the mesh: its direction and the layer of its plane
    std::uint32_t faceCount;
    void* indices;  // the vertex index list last drawn, 16-bit when the mesh has at most 65536
                    // vertices, else 32-bit; room for every face
    std::uint32_t indexCount;
    std::uint32_t indexKey;      // the selection that list was made for; 0 when there is none
    std::uint64_t indexParts;    // and the parts of the chunk it holds
    std::int16_t top;            // no face reaches above this height, in the mesh's units
    std::int16_t columnTop[16];  // nor above these in each column of 4 x 4 cells (x / 4 + 4 (z / 4))
};

struct Chunk {
    World* world;
    std::int32_t cx;
    std::int32_t cy;
    std::int32_t cz;
    BlockId blocks[CHUNK_CELLS];
    // Nothing reads it: a byte per cell that keeps the record's layout and size
    // as they have always been; the write-guard test watches it for stray
    // writes past `blocks`.
    std::uint8_t reserved[CHUNK_CELLS];
    LightByte light[CHUNK_CELLS];
    ChunkMesh mesh;
    ChunkFaceIndex faces;
};

struct World {
    Chunk* chunks[WORLD_CHUNK_COUNT];
    // Solid cells from the floor up in each block column (index x * 512 + z),
    // and the fewest of any column in each ground tile of GROUND_TILE_BLOCKS
    // columns a side (index tx * GROUND_TILES_Z + tz): what hides the terrain
    // behind it (world/ground). Zero until measured.
    std::uint8_t groundDepth[WORLD_CHUNKS_X * CHUNK_EDGE * WORLD_CHUNKS_Z * CHUNK_EDGE];
    std::uint8_t tileGroundDepth[GROUND_TILES_X * GROUND_TILES_Z];
};

constexpr int cellIndex(int x, int y, int z) { return x * 256 + y * 16 + z; }
constexpr int chunkSlot(int cx, int cy, int cz) { return cx * 256 + cy * 32 + cz; }

constexpr bool chunkCoordsInGrid(int cx, int cy, int cz) {
    return cx >= 0 && cx < WORLD_CHUNKS_X && cy >= 0 && cy < WORLD_CHUNKS_Y && cz >= 0 && cz < WORLD_CHUNKS_Z;
}

// Empty (nullptr) outside the grid.
Chunk* getChunk(const World& world, std::int32_t x, std::int32_t y, std::int32_t z);

// Cell lookups relative to a chunk; coordinates past a border continue into the
// neighbouring chunk. Outside the world: BLOCK_DEEP, and light 0.
BlockId getBlock(const Chunk& chunk, std::int32_t x, std::int32_t y, std::int32_t z);
int getSkyLight(const Chunk& chunk, std::int32_t x, std::int32_t y, std::int32_t z);
int getBlockLight(const Chunk& chunk, std::int32_t x, std::int32_t y, std::int32_t z);

// Writes only when all three coordinates, taken as unsigned bytes, are 0..15.
void setBlock(Chunk& chunk, std::uint8_t x, std::uint8_t y, std::uint8_t z, BlockId id);

// Allocates a single chunk at grid (cx, cy, cz) of `world`, blocks and light
// left as allocated, with one-element mesh arrays. Used by hand-built test worlds.
Chunk* newChunk(World* world, int cx, int cy, int cz);

// Gives every slot of `world` its chunk, as newChunk would, all records in one
// huge-page arena that the world owns.
void allocateChunks(World& world);

// Releases the chunk's mesh arrays (leaving empty ones is the caller's business).
void freeChunkMesh(ChunkMesh& mesh);

// Releases the face index's arrays and leaves it empty.
void freeChunkFaceIndex(ChunkFaceIndex& faces);

// Frees a chunk from newChunk or allocateChunks, with its mesh arrays.
void freeChunk(Chunk* chunk);

// Frees every chunk in the world's slots, the world's huge-page arenas and the
// world itself (made with new).
void freeWorld(World* world);
