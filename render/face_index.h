#pragma once
// Which faces of a chunk's mesh can face the eye. Every face gets a code, its
// direction and the layer of its plane; for one eye position a chunk's
// selection is a bound on the layers of each direction, and its index list
// names the vertices of the selected faces in the mesh's own order. Every
// face left out is a back face, which culling would drop anyway, so drawing
// the list gives the picture of drawing the whole mesh, order and all.

#include <cstdint>

#include "world/world.h"

// A face is left out only when the eye is at least this far behind its plane.
// Closer, GL's own rounding might still turn a nearly edge-on back face to
// the front; inside the world that rounding stays far below one unit.
constexpr double FACE_BACK_MARGIN = 16.0;

// Rebuilds the codes from the mesh's positions and drops the index list.
void deriveFaceIndex(ChunkFaceIndex& faces, const ChunkMesh& mesh);

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

// Whether the chunk's index list holds 16-bit indices (else 32-bit).
constexpr bool shortFaceIndices(const ChunkFaceIndex& faces) { return faces.faceCount * 6u <= 65536u; }

// Makes the chunk's index list hold the vertices of the faces in `key`, in
// mesh order (remade only when the key changed); returns its length.
std::uint32_t selectFaces(ChunkFaceIndex& faces, std::uint32_t key);
