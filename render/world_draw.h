#pragma once
// Drawing the world's chunk meshes, culled against the current view.

#include "world/world.h"

// Reads the current projection and model-view matrices into frustumPlanes.
void extractFrustum();

// One translated draw per chunk that passes the frustum test, straight from
// the chunk's client-side arrays. Leaves the model-view matrix unchanged.
// Returns the number of chunks drawn.
int drawWorld(const World& world);
