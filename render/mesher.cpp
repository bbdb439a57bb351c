#include "render/mesher.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "render/block_textures.h"
#include "render/face_index.h"
#include "world/huge_page_arena.h"

namespace {

struct FaceTemplate {
    std::int16_t offset[6][3];  // added to the cell origin
    unsigned char farS[6];      // 1: s = u + w, 0: s = u
    unsigned char farT[6];      // 1: t = v + w, 0: t = v
    int texSlot;
};

// Each run of three vertices winds counter-clockwise seen from outside the cell.
// On the sides the upper edge carries t = v so the atlas cell stands upright.
constexpr FaceTemplate FACE_TEMPLATES[FACE_COUNT] = {
    // -x
    {{{0, -16, 0}, {0, -16, 16}, {0, 0, 16}, {0, -16, 0}, {0, 0, 16}, {0, 0, 0}},
     {1, 0, 0, 1, 0, 1},
     {1, 1, 0, 1, 0, 0},
     TEX_SLOT_SIDE},
    // +x
    {{{16, -16, 0}, {16, 0, 16}, {16, -16, 16}, {16, -16, 0}, {16, 0, 0}, {16, 0, 16}},
     {0, 1, 1, 0, 0, 1},
     {1, 0, 1, 1, 0, 0},
     TEX_SLOT_SIDE},
    // -z
    {{{0, 0, 0}, {16, 0, 0}, {16, -16, 0}, {0, -16, 0}, {0, 0, 0}, {16, -16, 0}},
     {0, 1, 1, 0, 0, 1},
     {0, 0, 1, 1, 0, 1},
     TEX_SLOT_SIDE},
    // +z
    {{{0, -16, 16}, {16, -16, 16}, {16, 0, 16}, {0, -16, 16}, {16, 0, 16}, {0, 0, 16}},
     {1, 0, 0, 1, 0, 1},
     {1, 1, 0, 1, 0, 0},
     TEX_SLOT_SIDE},
    // -y
    {{{0, -16, 16}, {0, -16, 0}, {16, -16, 16}, {16, -16, 0}, {16, -16, 16}, {0, -16, 0}},
     {0, 0, 1, 1, 1, 0},
     {1, 0, 1, 0, 1, 0},
     TEX_SLOT_BOTTOM},
    // +y
    {{{0, 0, 16}, {16, 0, 16}, {0, 0, 0}, {16, 0, 0}, {0, 0, 0}, {16, 0, 16}},
     {0, 1, 0, 1, 0, 1},
     {1, 1, 0, 0, 0, 1},
     TEX_SLOT_TOP},
};

// Open-cell bits of one 16-cell row along z, with the neighbouring cells at
// z = -1 (bit 0) and z = 16 (bit 17); the row's own cells are bits 1..16.
using OpenRow = std::uint32_t;

struct RowBits {
    std::uint16_t solid;        // bit z: the cell is not air
    std::uint16_t translucent;  // bit z: the cell is BLOCK_TRANSLUCENT
    std::uint16_t open;         // bit z: the cell is air or translucent
};

constexpr bool openKindsAreAirAndTranslucent() {
    for (int id = 0; id < 256; ++id)
        if (isOpenBlock(static_cast<BlockId>(id)) != (id == BLOCK_AIR || id == BLOCK_TRANSLUCENT))
            return false;
    return true;
}
static_assert(openKindsAreAirAndTranslucent(),
              "render/mesher.cpp rowBits: its vector compares find only air and translucent cells open; "
              "give a new open kind its own compare there");

RowBits rowBits(const BlockId* row) {
    RowBits bits = {0, 0, 0};
#if defined(__SSE2__)
    const __m128i cells = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
    const int air = _mm_movemask_epi8(_mm_cmpeq_epi8(cells, _mm_setzero_si128()));
    const int translucent = _mm_movemask_epi8(_mm_cmpeq_epi8(cells, _mm_set1_epi8(BLOCK_TRANSLUCENT)));
    bits.solid = static_cast<std::uint16_t>(~air);
    bits.translucent = static_cast<std::uint16_t>(translucent);
    bits.open = static_cast<std::uint16_t>(air | translucent);
#else
    for (int z = 0; z < CHUNK_EDGE; ++z) {
        const std::uint16_t bit = static_cast<std::uint16_t>(1u << z);
        if (row[z] != BLOCK_AIR) bits.solid |= bit;
        if (row[z] == BLOCK_TRANSLUCENT) bits.translucent |= bit;
        if (isOpenBlock(row[z])) bits.open |= bit;
    }
#endif
    return bits;
}

// The chunk and its six face neighbours (nullptr beyond the world's edge,
// which reads as solid and dark).
struct ChunkNeighbours {
    const Chunk* self;
    const Chunk* side[FACE_COUNT];
};

const Chunk* neighbourChunk(const Chunk& chunk, int dx, int dy, int dz) {
    return chunk.world ? getChunk(*chunk.world, chunk.cx + dx, chunk.cy + dy, chunk.cz + dz) : nullptr;
}

ChunkNeighbours findNeighbours(const Chunk& chunk) {
    return {
        &chunk,
        {neighbourChunk(chunk, -1, 0, 0), neighbourChunk(chunk, 1, 0, 0), neighbourChunk(chunk, 0, 0, -1),
         neighbourChunk(chunk, 0, 0, 1), neighbourChunk(chunk, 0, -1, 0), neighbourChunk(chunk, 0, 1, 0)}};
}

std::uint16_t openBitsOfRow(const Chunk* chunk, int x, int y) {
    return chunk ? rowBits(&chunk->blocks[cellIndex(x, y, 0)]).open : 0;
}

bool isOpenCell(const Chunk* chunk, int x, int y, int z) {
    return chunk && isOpenBlock(chunk->blocks[cellIndex(x, y, z)]);
}

// Set bits of a 64-bit word, without relying on a popcount instruction.
int bitCount(std::uint64_t v) {
    v = v - ((v >> 1) & 0x5555555555555555ull);
    v = (v & 0x3333333333333333ull) + ((v >> 2) & 0x3333333333333333ull);
    v = (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<int>((v * 0x0101010101010101ull) >> 56);
}

// Which faces of each row of cells show, one 16-bit mask per face direction.
struct FaceRows {
    std::uint16_t masks[CHUNK_EDGE][CHUNK_EDGE][FACE_COUNT];  // [x][y][face], bit z
    std::uint16_t translucentTops[CHUNK_EDGE][CHUNK_EDGE];    // top faces of translucent cells
};

// Counts the faces and records them per row. A bottom face shows whenever the
// cell below is open, across a chunk border too, so a tunnel ceiling on a
// chunk boundary is closed; the world's outside stays solid.
std::uint32_t findFaces(const ChunkNeighbours& n, FaceRows& rows) {
    // open[x + 1][y + 1]: the row's own cells in bits 1..16 and the z
    // neighbours in bits 0 and 17; rows at x or y = -1 and 16 come from the
    // neighbouring chunks' border layers.
    RowBits own[CHUNK_EDGE][CHUNK_EDGE];
    unsigned anySolid = 0, anyOpen = 0;
    for (int x = 0; x < CHUNK_EDGE; ++x)
        for (int y = 0; y < CHUNK_EDGE; ++y) {
            own[x][y] = rowBits(&n.self->blocks[cellIndex(x, y, 0)]);
            anySolid |= own[x][y].solid;
            anyOpen |= own[x][y].open;
        }
    // Most chunks of a world are all air or buried whole: no faces at all.
    if (!anySolid) return 0;

    OpenRow open[CHUNK_EDGE + 2][CHUNK_EDGE + 2] = {};
    const Chunk* negZ = n.side[FACE_NEG_Z];
    const Chunk* posZ = n.side[FACE_POS_Z];
    for (int x = 0; x < CHUNK_EDGE; ++x)
        for (int y = 0; y < CHUNK_EDGE; ++y) {
            OpenRow row = static_cast<OpenRow>(own[x][y].open) << 1;
            if (isOpenCell(negZ, x, y, CHUNK_EDGE - 1)) row |= 1u;
            if (isOpenCell(posZ, x, y, 0)) row |= 1u << 17;
            open[x + 1][y + 1] = row;
            anyOpen |= row;
        }
    for (int i = 0; i < CHUNK_EDGE; ++i) {
        open[0][i + 1] = static_cast<OpenRow>(openBitsOfRow(n.side[FACE_NEG_X], CHUNK_EDGE - 1, i)) << 1;
        open[CHUNK_EDGE + 1][i + 1] = static_cast<OpenRow>(openBitsOfRow(n.side[FACE_POS_X], 0, i)) << 1;
        open[i + 1][0] = static_cast<OpenRow>(openBitsOfRow(n.side[FACE_NEG_Y], i, CHUNK_EDGE - 1)) << 1;
        open[i + 1][CHUNK_EDGE + 1] = static_cast<OpenRow>(openBitsOfRow(n.side[FACE_POS_Y], i, 0)) << 1;
        anyOpen |=
            open[0][i + 1] | open[CHUNK_EDGE + 1][i + 1] | open[i + 1][0] | open[i + 1][CHUNK_EDGE + 1];
    }
    if (!anyOpen) return 0;

    std::uint32_t faces = 0;
    for (int x = 0; x < CHUNK_EDGE; ++x)
        for (int y = 0; y < CHUNK_EDGE; ++y) {
            const std::uint32_t solid = own[x][y].solid;
            const OpenRow here = open[x + 1][y + 1];
            std::uint16_t* m = rows.masks[x][y];
            m[FACE_NEG_X] = static_cast<std::uint16_t>(solid & (open[x][y + 1] >> 1));
            m[FACE_POS_X] = static_cast<std::uint16_t>(solid & (open[x + 2][y + 1] >> 1));
            m[FACE_NEG_Z] = static_cast<std::uint16_t>(solid & here);
            m[FACE_POS_Z] = static_cast<std::uint16_t>(solid & (here >> 2));
            m[FACE_NEG_Y] = static_cast<std::uint16_t>(solid & (open[x + 1][y] >> 1));
            m[FACE_POS_Y] = static_cast<std::uint16_t>(solid & (open[x + 1][y + 2] >> 1));
            // A translucent cell's open top becomes a two-sided surface.
            rows.translucentTops[x][y] = own[x][y].translucent & m[FACE_POS_Y];
            const std::uint64_t low =
                m[0] | std::uint64_t{m[1]} << 16 | std::uint64_t{m[2]} << 32 | std::uint64_t{m[3]} << 48;
            const std::uint64_t high =
                m[4] | std::uint64_t{m[5]} << 16 | std::uint64_t{rows.translucentTops[x][y]} << 32;
            if (low | high) faces += static_cast<std::uint32_t>(bitCount(low) + bitCount(high));
        }
    return faces;
}

constexpr int FACE_STEP[FACE_COUNT][3] = {{-1, 0, 0}, {1, 0, 0},  {0, 0, -1},
                                          {0, 0, 1},  {0, -1, 0}, {0, 1, 0}};

constexpr int FACE_INDEX_STEP[FACE_COUNT] = {-256, 256, -1, 1, -16, 16};

// Light level of the open cell in front of a face: the larger of its sky and
// block light, 0 beyond the world's edge.
int faceLight(const ChunkNeighbours& n, Face face, int x, int y, int z) {
    const int at[3] = {x + FACE_STEP[face][0], y + FACE_STEP[face][1], z + FACE_STEP[face][2]};
    LightByte light;
    if (static_cast<unsigned>(at[0] | at[1] | at[2]) < CHUNK_EDGE) {
        light = n.self->light[cellIndex(x, y, z) + FACE_INDEX_STEP[face]];
    } else {
        const Chunk* chunk = n.side[face];
        if (!chunk) return 0;
        // Only the face's own axis crosses the border; it wraps to the far layer.
        light = chunk->light[cellIndex(at[0] & 15, at[1] & 15, at[2] & 15)];
    }
    const int sky = light >> 4, block = light & 15;
    return sky > block ? sky : block;
}

void faceTexCoords(Face face, BlockId kind, float out[TEXCOORDS_PER_FACE]) {
    const FaceTemplate& tpl = FACE_TEMPLATES[face];
    const AtlasCell cell = blockTexTable.rows[kind][tpl.texSlot];
    const float s[2] = {cell.u, cell.u + atlasCellSize};
    const float t[2] = {cell.v, cell.v + atlasCellSize};
    for (int v = 0; v < 6; ++v) {
        out[2 * v + 0] = s[tpl.farS[v]];
        out[2 * v + 1] = t[tpl.farT[v]];
    }
}

// Appends one face from its finished texture coordinates. Everything is
// built in locals and copied out whole: byte stores straight into the colour
// array could alias everything else.
void writeFace(ChunkMesh& mesh, Face face, int x, int y, int z, const float texCoords[TEXCOORDS_PER_FACE],
               std::uint8_t grey) {
    const std::int16_t* offset = &FACE_TEMPLATES[face].offset[0][0];
    const auto px = static_cast<std::int16_t>(x), py = static_cast<std::int16_t>(y),
               pz = static_cast<std::int16_t>(z);
    const std::int16_t origin[POSITIONS_PER_FACE] = {px, py, pz, px, py, pz, px, py, pz,
                                                     px, py, pz, px, py, pz, px, py, pz};
    std::int16_t positions[POSITIONS_PER_FACE];
    for (std::uint32_t i = 0; i < POSITIONS_PER_FACE; ++i)
        positions[i] = static_cast<std::int16_t>(origin[i] + offset[i]);
    const std::uint8_t vertexColour[4] = {grey, grey, grey, 255};
    std::uint8_t colours[COLOURS_PER_FACE];
    for (int v = 0; v < 6; ++v) std::memcpy(colours + 4 * v, vertexColour, 4);
    std::memcpy(mesh.positions + mesh.positionCount, positions, sizeof positions);
    std::memcpy(mesh.colours + mesh.colourCount, colours, sizeof colours);
    std::memcpy(mesh.texCoords + mesh.texCoordCount, texCoords, sizeof(float) * TEXCOORDS_PER_FACE);
    mesh.positionCount += POSITIONS_PER_FACE;
    mesh.colourCount += COLOURS_PER_FACE;
    mesh.texCoordCount += TEXCOORDS_PER_FACE;
}

// Texture coordinates of the last kind seen on each face direction: a chunk
// has few kinds, so most faces reuse them.
struct FaceTexCache {
    int kind[FACE_COUNT];
    float texCoords[FACE_COUNT][TEXCOORDS_PER_FACE];
};

const float* cachedTexCoords(FaceTexCache& cache, Face face, BlockId kind) {
    if (cache.kind[face] != kind) {
        faceTexCoords(face, kind, cache.texCoords[face]);
        cache.kind[face] = kind;
    }
    return cache.texCoords[face];
}

constexpr std::size_t BYTES_PER_FACE =
    POSITIONS_PER_FACE * sizeof(std::int16_t) + COLOURS_PER_FACE + TEXCOORDS_PER_FACE * sizeof(float);
// Carved one after another, every array of an arena starts suitably aligned.
static_assert((POSITIONS_PER_FACE * sizeof(std::int16_t)) % alignof(float) == 0 &&
                  COLOURS_PER_FACE % alignof(float) == 0,
              "mesh arrays carved in turn must stay aligned");

// The first meshes fill arenas of this size one after another; the
// largest mesh a chunk can have (seven faces a cell) fits in one.
constexpr std::size_t MESH_ARENA_BYTES = 8 * HUGE_PAGE_BYTES;
static_assert(CHUNK_CELLS * 7 * BYTES_PER_FACE <= MESH_ARENA_BYTES, "a mesh must fit in an arena");

struct MeshArenas {
    World* owner;
    unsigned char* next;  // nullptr until the first arena
    std::size_t left;
};

template <typename T>
T* carveArray(MeshArenas& arenas, std::uint32_t count) {
    T* array = static_cast<T*>(static_cast<void*>(arenas.next));
    arenas.next += sizeof(T) * count;
    arenas.left -= sizeof(T) * count;
    return array;
}

// Exactly sized arrays: from the heap, or carved in turn from `arenas`.
void allocateMesh(ChunkMesh& mesh, std::uint32_t faces, MeshArenas* arenas) {
    freeChunkMesh(mesh);
    if (!arenas) {
        mesh.positions = new std::int16_t[faces * POSITIONS_PER_FACE];
        mesh.colours = new std::uint8_t[faces * COLOURS_PER_FACE];
        mesh.texCoords = new float[faces * TEXCOORDS_PER_FACE];
    } else {
        if (!arenas->next || faces * BYTES_PER_FACE > arenas->left) {
            arenas->next = static_cast<unsigned char*>(allocateArena(*arenas->owner, MESH_ARENA_BYTES));
            arenas->left = MESH_ARENA_BYTES;
        }
        mesh.positions = carveArray<std::int16_t>(*arenas, faces * POSITIONS_PER_FACE);
        mesh.colours = carveArray<std::uint8_t>(*arenas, faces * COLOURS_PER_FACE);
        mesh.texCoords = carveArray<float>(*arenas, faces * TEXCOORDS_PER_FACE);
    }
    mesh.positionCount = mesh.colourCount = mesh.texCoordCount = 0;
}

void buildMesh(Chunk& chunk, MeshArenas* arenas) {
    const ChunkNeighbours n = findNeighbours(chunk);
    FaceRows rows;
    const std::uint32_t faces = findFaces(n, rows);
    ChunkMesh& mesh = chunk.mesh;
    allocateMesh(mesh, faces, arenas);
    // Each face's code is written beside it, from the same cell origin.
    std::uint8_t* code = resetFaceIndex(chunk.faces, faces);
    if (faces == 0) return;

    FaceTexCache texCache;
    for (int& kind : texCache.kind) kind = -1;
    int topRow = 0;
    int columnTopRow[16] = {};
    // Cells in x, y, z order, each cell's faces in face order.
    for (int x = 0; x < CHUNK_EDGE; ++x)
        for (int y = 0; y < CHUNK_EDGE; ++y) {
            const std::uint16_t* m = rows.masks[x][y];
            unsigned any = 0;
            for (int f = 0; f < FACE_COUNT; ++f) any |= m[f];
            if (any && y > topRow) topRow = y;
            for (int pz = 0; pz < 4; ++pz)
                if (any >> (FACE_PART_CELLS * pz) & 0xFu) {
                    int& top = columnTopRow[x / FACE_PART_CELLS + 4 * pz];
                    top = std::max(top, y);
                }
            while (any) {
                const int z = __builtin_ctz(any);
                any &= any - 1;
                const BlockId kind = chunk.blocks[cellIndex(x, y, z)];
                const int X = 16 * x, Y = 16 * y, Z = 16 * z;
                for (int f = 0; f < FACE_COUNT; ++f) {
                    if (!(m[f] >> z & 1u)) continue;
                    const Face face = static_cast<Face>(f);
                    const int light = faceLight(n, face, x, y, z);
                    if (face == FACE_POS_Y && (rows.translucentTops[x][y] >> z & 1u)) {
                        // Lowered one unit into the cell, seen from above and below;
                        // both sides are lit by the open cell above.
                        emitFace(mesh, FACE_POS_Y, X, Y - 1, Z, kind, light);
                        emitFace(mesh, FACE_NEG_Y, X, Y + 15, Z, kind, light);
                        *code++ = faceCode(FACE_POS_Y, X, Y - 1, Z);
                        *code++ = faceCode(FACE_NEG_Y, X, Y + 15, Z);
                    } else {
                        writeFace(mesh, face, X, Y, Z, cachedTexCoords(texCache, face, kind),
                                  faceGrey(light));
                        *code++ = faceCode(face, X, Y, Z);
                    }
                }
            }
        }
    // A cell's faces lie within its drawn box, which ends at its origin's height.
    chunk.faces.top = static_cast<std::int16_t>(16 * topRow);
    for (int column = 0; column < 16; ++column)
        chunk.faces.columnTop[column] = static_cast<std::int16_t>(16 * columnTopRow[column]);
}

}  // namespace

void emitFace(ChunkMesh& mesh, Face face, int x, int y, int z, BlockId kind, int light) {
    float texCoords[TEXCOORDS_PER_FACE];
    faceTexCoords(face, kind, texCoords);
    writeFace(mesh, face, x, y, z, texCoords, faceGrey(light));
}

void buildChunkMesh(Chunk& chunk) { buildMesh(chunk, nullptr); }

void meshAllChunks(World& world) {
    MeshArenas arenas = {&world, nullptr, 0};
    for (Chunk* chunk : world.chunks) buildMesh(*chunk, &arenas);
}
