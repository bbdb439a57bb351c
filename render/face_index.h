#pragma once
// Which faces of a chunk's mesh can show. The mesh builder gives every face a
// code beside it, its direction and the layer of its plane; for one eye
// position a chunk's selection is a bound on the layers of each direction,
// and its index list names the vertices of the selected faces in the mesh's
// own order, leaving out too the faces of the chunk's parts that lie wholly
// outside the view. Every face left out is a back face, which culling would
// drop anyway, or one that clipping would, so drawing the list gives the
// picture of drawing the whole mesh, order and all; only where GL's own
// rounding draws a face the eye is a block behind, as an edge-on sliver, far
// below the world, can a single pixel differ (see the guide's departures).

#include <cstdint>

#include "render/frustum.h"
#include "render/mesher.h"
#include "world/world.h"

// A face is left out only when the eye is at least this far behind its plane.
// Closer, GL's own rounding might still turn a nearly edge-on back face to
// the front; in and near the world it stays below one unit, but it grows with
// the distance from the origin (see the guide's table of departures).
constexpr double FACE_BACK_MARGIN = 16.0;

constexpr int FACE_LAYER_BITS = 5;

// The code of a face emitted for the cell origin (x, y, z), as the mesh
// builder passes it: its direction, and the layer of its plane P (-16..256):
// toward the face's front the layer's planes lie at 16 layer - 16 or beyond,
// away from it at 16 layer - 16 or before.
constexpr std::uint8_t faceCode(Face face, int x, int y, int z) {
    constexpr int PLANE_OFFSET[FACE_COUNT] = {0, 16, 0, 16, -16, 0};
    const int origin = face <= FACE_POS_X ? x : face <= FACE_POS_Z ? z : y;
    const int plane = origin + PLANE_OFFSET[face];
    const bool positive = face & 1;
    return static_cast<std::uint8_t>(face << FACE_LAYER_BITS | (plane + (positive ? 16 : 31)) >> 4);
}

// Drops the index list and the old codes, and gives room for `faceCount`
// new ones, which the mesh builder writes face by face (nullptr for none).
std::uint8_t* resetFaceIndex(ChunkFaceIndex& faces, std::uint32_t faceCount);

struct EyePoint {
    double x, y, z;
};

// The eye of a perspective view: the point the model-view matrix takes to the
// origin. Not a number unless the projection's centre is the eye space's
// origin and the model-view can be inverted; then every face is selected.
EyePoint eyeOfView(const float projection[16], const float modelview[16]);

// The selection for chunk (cx, cy, cz) seen from `eye`; never 0.
std::uint32_t faceSelectionKey(EyePoint eye, int cx, int cy, int cz);

// Whether the face with `code` belongs to the selection `key`.
bool faceSelected(std::uint32_t key, std::uint8_t code);

// For each face direction, the vertex of a face that each of its six stands
// for in the index list: the two triangles share two corners, which the mesh
// builder writes twice alike (position, colour and texture coordinate), and
// the list names the first copy of each. The software renderer transforms a
// repeated index of a draw once, so four vertices a face, not six.
constexpr std::uint8_t FACE_VERTEX_SOURCE[FACE_COUNT][6] = {
    {0, 1, 2, 0, 2, 5},  // -x
    {0, 1, 2, 0, 4, 1},  // +x
    {0, 1, 2, 3, 0, 2},  // -z
    {0, 1, 2, 0, 2, 5},  // +z
    {0, 1, 2, 3, 2, 1},  // -y
    {0, 1, 2, 3, 2, 1},  // +y
};

// A chunk's drawn box in 4 x 4 x 4 parts, 64 units (4 cells) on a side. A
// face belongs to the part holding its lowest corner; as faces lie on their
// cell's box, it lies wholly in that part's box.
constexpr int FACE_PART_UNITS = 64;
constexpr int FACE_PART_CELLS = FACE_PART_UNITS / UNITS_PER_BLOCK;  // 4 cells a side
constexpr std::uint64_t EVERY_PART = ~std::uint64_t{0};

// The bit of part (px, py, pz) in a mask of a chunk's parts.
constexpr std::uint64_t partBit(int px, int py, int pz) {
    return std::uint64_t{1} << (px + 4 * py + 16 * pz);
}

// The top of the boxes of the parts in layer py, in the mesh's units.
constexpr int partBoxTop(int py) { return static_cast<int>(drawnBoxLow(0, 1)) + FACE_PART_UNITS * (py + 1); }

// A part is left out only when its box lies this far behind a plane of the
// view, well beyond the rounding of GL's clipping in and near the world.
constexpr double FACE_PART_MARGIN = 1.0;

// The parts of chunk (cx, cy, cz) that may show in `frustum`: bit
// px + 4 py + 16 pz for the part at (px, py, pz).
std::uint64_t partsInView(const FrustumPlanes& frustum, int cx, int cy, int cz);

// The part of the face whose six vertices start at `positions`.
int facePart(const std::int16_t* positions);

// Whether the chunk's index list holds 16-bit indices (else 32-bit).
constexpr bool shortFaceIndices(const ChunkFaceIndex& faces) { return faces.faceCount * 6u <= 65536u; }

// Makes the chunk's index list hold the vertices of the faces in `key` and
// `parts`, in mesh order, each face through FACE_VERTEX_SOURCE (remade only
// when either changed); returns its length. `positions` are the mesh's.
std::uint32_t selectFaces(ChunkFaceIndex& faces, const std::int16_t* positions, std::uint32_t key,
                          std::uint64_t parts);
