#pragma once
// View-frustum planes and the cube test that culls whole chunks.

#include "world/world.h"

struct FrustumPlanes {
    // right, left, bottom, top, far, near; each a, b, c, d with a unit normal
    // pointing into the frustum.
    float planes[6][4];
};

// Process-wide; all zero (nothing passes) until the first extraction.
extern FrustumPlanes frustumPlanes;

// Planes of projection x model-view, both column-major as OpenGL returns them.
FrustumPlanes frustumFromMatrices(const float projection[16], const float modelview[16]);

// False only when the cube centre +- half lies wholly behind one plane.
bool boxInFrustum(const FrustumPlanes& frustum, float x, float y, float z, float half);
bool boxInFrustum(float x, float y, float z, float half);

// The low end, along `axis` (0 x, 1 y, 2 z), of the box chunk `c`'s cells are
// drawn in: one block below its data box in y.
constexpr double drawnBoxLow(int c, int axis) {
    return static_cast<double>(UNITS_PER_CHUNK) * c - (axis == 1 ? UNITS_PER_BLOCK : 0);
}

// Whether chunk (cx, cy, cz) may show. Tests the box its cells are drawn in.
bool chunkInFrustum(const FrustumPlanes& frustum, int cx, int cy, int cz);
