#pragma once
// Which faces of a chunk's mesh can face the eye. Every face gets a code, its
// direction and the layer of its plane; for one eye position a chunk's
// selection is a bound on the layers of each direction, and its runs are the
// stretches of the mesh that hold the selected faces, drawn in the mesh's own
// order. Every face left out is a back face, which culling would drop anyway,
// so drawing the runs gives the picture of drawing the whole mesh.

#include <cstdint>

#include "world/world.h"

// A face is left out only when the eye is at least this far behind its plane.
// Closer, GL's own rounding might still turn a nearly edge-on back face to
// the front; inside the world that rounding stays far below one unit.
constexpr double FACE_BACK_MARGIN = 16.0;

// Back faces between two runs are drawn with them when there are at most this
// many: one draw call costs about as much as sending a few faces.
constexpr std::uint32_t FACE_RUN_GAP = 8;

// Rebuilds the codes from the mesh's positions and drops the runs.
void deriveFaceRuns(ChunkFaceRuns& faces, const ChunkMesh& mesh);

struct EyePoint {
    double x, y, z;
};

// The eye of a perspective view: the point the model-view matrix takes to the
// origin. Not a number unless the projection's centre is the eye space's
// origin and the model-view can be inverted, and then every face is selected.
EyePoint eyeOfView(const float projection[16], const float modelview[16]);

// The selection for chunk (cx, cy, cz) seen from `eye`; never 0.
std::uint32_t faceSelectionKey(EyePoint eye, int cx, int cy, int cz);

// Whether the face with `code` belongs to the selection `key`.
bool faceSelected(std::uint32_t key, std::uint8_t code);

// Makes the chunk's runs cover the faces of `key` (remade only when the key
// changed); returns how many runs there are.
std::uint32_t selectFaceRuns(ChunkFaceRuns& faces, std::uint32_t key);
