#include "tests/support/reference_mesher.h"

#include "render/mesher.h"

namespace {

struct FaceProbe {
    Face face;
    int dx, dy, dz;
};

constexpr FaceProbe FACES[FACE_COUNT] = {
    {FACE_NEG_X, -1, 0, 0}, {FACE_POS_X, 1, 0, 0},  {FACE_NEG_Z, 0, 0, -1},
    {FACE_POS_Z, 0, 0, 1},  {FACE_NEG_Y, 0, -1, 0}, {FACE_POS_Y, 0, 1, 0},
};

int lightAt(const Chunk& chunk, int x, int y, int z) {
    const int sky = getSkyLight(chunk, x, y, z), block = getBlockLight(chunk, x, y, z);
    return sky > block ? sky : block;
}

// Calls emit(face, x, y, z, originY, light) for every face, in mesh order.
template <typename Emit>
void walkFaces(const Chunk& chunk, Emit emit) {
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 16; ++y)
            for (int z = 0; z < 16; ++z) {
                const BlockId kind = getBlock(chunk, x, y, z);
                if (kind == BLOCK_AIR) continue;
                for (const FaceProbe& f : FACES) {
                    const int nx = x + f.dx, ny = y + f.dy, nz = z + f.dz;
                    if (!isOpenBlock(getBlock(chunk, nx, ny, nz))) continue;
                    const int light = lightAt(chunk, nx, ny, nz);
                    if (f.face == FACE_POS_Y && kind == BLOCK_TRANSLUCENT) {
                        emit(FACE_POS_Y, x, 16 * y - 1, z, kind, light);
                        emit(FACE_NEG_Y, x, 16 * y + 15, z, kind, light);
                    } else {
                        emit(f.face, x, 16 * y, z, kind, light);
                    }
                }
            }
}

}  // namespace

void buildChunkMeshReference(Chunk& chunk) {
    std::uint32_t faces = 0;
    walkFaces(chunk, [&](Face, int, int, int, BlockId, int) { ++faces; });
    ChunkMesh& mesh = chunk.mesh;
    freeChunkMesh(mesh);
    mesh.positions = new std::int16_t[faces * POSITIONS_PER_FACE];
    mesh.colours = new std::uint8_t[faces * COLOURS_PER_FACE];
    mesh.texCoords = new float[faces * TEXCOORDS_PER_FACE];
    mesh.positionCount = mesh.colourCount = mesh.texCoordCount = 0;
    walkFaces(chunk, [&](Face face, int x, int originY, int z, BlockId kind, int light) {
        emitFace(mesh, face, 16 * x, originY, 16 * z, kind, light);
    });
}
