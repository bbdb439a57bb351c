#include "render/mesher.h"

#include <cstring>

#include "render/block_textures.h"

namespace {

struct FaceTemplate {
    signed char offset[6][3];  // added to the cell origin
    unsigned char farS[6];     // 1: s = u + w, 0: s = u
    unsigned char farT[6];     // 1: t = v + w, 0: t = v
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

// A chunk's cells with a one-cell border of its six face neighbours, so the
// face tests read plain arrays instead of walking the grid per cell.
constexpr int PAD = CHUNK_EDGE + 2;
constexpr int padIndex(int x, int y, int z) { return ((x + 1) * PAD + (y + 1)) * PAD + (z + 1); }
constexpr int PAD_STEP_X = PAD * PAD;
constexpr int PAD_STEP_Y = PAD;
constexpr int PAD_STEP_Z = 1;
constexpr int NEIGHBOUR_STEP[FACE_COUNT] = {-PAD_STEP_X, PAD_STEP_X, -PAD_STEP_Z,
                                            PAD_STEP_Z,  -PAD_STEP_Y, PAD_STEP_Y};

struct Neighbourhood {
    BlockId blocks[PAD * PAD * PAD];
    LightByte light[PAD * PAD * PAD];
};

// Copies one border slab: cells of `from` where the coordinate on `axis` is
// `fromLayer`, into the padded layer `toLayer` (-1 or 16). A missing chunk,
// beyond the world's edge, reads as solid and dark.
void copySlab(Neighbourhood& n, const Chunk* from, int axis, int fromLayer, int toLayer) {
    for (int a = 0; a < CHUNK_EDGE; ++a) {
        for (int b = 0; b < CHUNK_EDGE; ++b) {
            int src[3], dst[3];
            src[axis] = fromLayer;
            dst[axis] = toLayer;
            src[(axis + 1) % 3] = dst[(axis + 1) % 3] = a;
            src[(axis + 2) % 3] = dst[(axis + 2) % 3] = b;
            const int to = padIndex(dst[0], dst[1], dst[2]);
            if (from) {
                const int at = cellIndex(src[0], src[1], src[2]);
                n.blocks[to] = from->blocks[at];
                n.light[to] = from->light[at];
            } else {
                n.blocks[to] = BLOCK_DEEP;
                n.light[to] = 0;
            }
        }
    }
}

const Chunk* neighbourChunk(const Chunk& chunk, int dx, int dy, int dz) {
    return chunk.world ? getChunk(*chunk.world, chunk.cx + dx, chunk.cy + dy, chunk.cz + dz) : nullptr;
}

void gatherNeighbourhood(const Chunk& chunk, Neighbourhood& n) {
    for (int x = 0; x < CHUNK_EDGE; ++x)
        for (int y = 0; y < CHUNK_EDGE; ++y) {
            std::memcpy(&n.blocks[padIndex(x, y, 0)], &chunk.blocks[cellIndex(x, y, 0)], CHUNK_EDGE);
            std::memcpy(&n.light[padIndex(x, y, 0)], &chunk.light[cellIndex(x, y, 0)], CHUNK_EDGE);
        }
    copySlab(n, neighbourChunk(chunk, -1, 0, 0), 0, 15, -1);
    copySlab(n, neighbourChunk(chunk, 1, 0, 0), 0, 0, 16);
    copySlab(n, neighbourChunk(chunk, 0, -1, 0), 1, 15, -1);
    copySlab(n, neighbourChunk(chunk, 0, 1, 0), 1, 0, 16);
    copySlab(n, neighbourChunk(chunk, 0, 0, -1), 2, 15, -1);
    copySlab(n, neighbourChunk(chunk, 0, 0, 1), 2, 0, 16);
}

bool isAllAir(const Chunk& chunk) {
    for (BlockId id : chunk.blocks)
        if (id != BLOCK_AIR) return false;
    return true;
}

int maxLight(LightByte light) {
    const int sky = light >> 4, block = light & 15;
    return sky > block ? sky : block;
}

void allocateMesh(ChunkMesh& mesh, std::uint32_t faces) {
    freeChunkMesh(mesh);
    mesh.positions = new std::int16_t[faces * POSITIONS_PER_FACE];
    mesh.colours = new std::uint8_t[faces * COLOURS_PER_FACE];
    mesh.texCoords = new float[faces * TEXCOORDS_PER_FACE];
    mesh.positionCount = mesh.colourCount = mesh.texCoordCount = 0;
}

}  // namespace

void freeChunkMesh(ChunkMesh& mesh) {
    delete[] mesh.positions;
    delete[] mesh.colours;
    delete[] mesh.texCoords;
    mesh.positions = nullptr;
    mesh.colours = nullptr;
    mesh.texCoords = nullptr;
}

void emitFace(ChunkMesh& mesh, Face face, int x, int y, int z, BlockId kind, int light) {
    const FaceTemplate& tpl = FACE_TEMPLATES[face];
    const AtlasCell cell = blockTexTable.rows[kind][tpl.texSlot];
    const float s[2] = {cell.u, cell.u + atlasCellSize};
    const float t[2] = {cell.v, cell.v + atlasCellSize};
    const std::uint8_t grey = faceGrey(light);

    std::int16_t* pos = mesh.positions + mesh.positionCount;
    std::uint8_t* col = mesh.colours + mesh.colourCount;
    float* tex = mesh.texCoords + mesh.texCoordCount;
    for (int v = 0; v < 6; ++v) {
        pos[3 * v + 0] = static_cast<std::int16_t>(x + tpl.offset[v][0]);
        pos[3 * v + 1] = static_cast<std::int16_t>(y + tpl.offset[v][1]);
        pos[3 * v + 2] = static_cast<std::int16_t>(z + tpl.offset[v][2]);
        col[4 * v + 0] = grey;
        col[4 * v + 1] = grey;
        col[4 * v + 2] = grey;
        col[4 * v + 3] = 255;
        tex[2 * v + 0] = s[tpl.farS[v]];
        tex[2 * v + 1] = t[tpl.farT[v]];
    }
    mesh.positionCount += POSITIONS_PER_FACE;
    mesh.colourCount += COLOURS_PER_FACE;
    mesh.texCoordCount += TEXCOORDS_PER_FACE;
}

void buildChunkMesh(Chunk& chunk) {
    ChunkMesh& mesh = chunk.mesh;
    if (isAllAir(chunk)) {
        allocateMesh(mesh, 0);
        return;
    }

    static thread_local Neighbourhood n;
    gatherNeighbourhood(chunk, n);

    // Count pass: one bit per open face, kept for the fill pass. A bottom face
    // shows whenever the cell below is open, across a chunk border too, so a
    // tunnel ceiling on a chunk boundary is closed.
    static thread_local std::uint8_t faceMask[CHUNK_CELLS];
    std::uint32_t faces = 0;
    for (int x = 0; x < CHUNK_EDGE; ++x)
        for (int y = 0; y < CHUNK_EDGE; ++y)
            for (int z = 0; z < CHUNK_EDGE; ++z) {
                const int cell = cellIndex(x, y, z);
                const BlockId kind = chunk.blocks[cell];
                std::uint8_t mask = 0;
                if (kind != BLOCK_AIR) {
                    const int p = padIndex(x, y, z);
                    for (int f = 0; f < FACE_COUNT; ++f)
                        if (isOpenBlock(n.blocks[p + NEIGHBOUR_STEP[f]])) mask |= 1u << f;
                    faces += static_cast<std::uint32_t>(__builtin_popcount(mask));
                    // A translucent cell's open top becomes a two-sided surface.
                    if (kind == BLOCK_TRANSLUCENT && (mask & (1u << FACE_POS_Y))) ++faces;
                }
                faceMask[cell] = mask;
            }

    allocateMesh(mesh, faces);

    for (int x = 0; x < CHUNK_EDGE; ++x)
        for (int y = 0; y < CHUNK_EDGE; ++y)
            for (int z = 0; z < CHUNK_EDGE; ++z) {
                const int cell = cellIndex(x, y, z);
                const std::uint8_t mask = faceMask[cell];
                if (!mask) continue;
                const BlockId kind = chunk.blocks[cell];
                const int p = padIndex(x, y, z);
                const int X = 16 * x, Y = 16 * y, Z = 16 * z;
                for (int f = 0; f < FACE_COUNT; ++f) {
                    if (!(mask & (1u << f))) continue;
                    const int light = maxLight(n.light[p + NEIGHBOUR_STEP[f]]);
                    if (f == FACE_POS_Y && kind == BLOCK_TRANSLUCENT) {
                        // Lowered one unit into the cell, seen from above and below;
                        // both sides are lit by the open cell above.
                        emitFace(mesh, FACE_POS_Y, X, Y - 1, Z, kind, light);
                        emitFace(mesh, FACE_NEG_Y, X, Y + 15, Z, kind, light);
                    } else {
                        emitFace(mesh, static_cast<Face>(f), X, Y, Z, kind, light);
                    }
                }
            }
}
