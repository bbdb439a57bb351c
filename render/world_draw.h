#pragma once
// Drawing the world's chunk meshes, culled against the current view.

#include "world/world.h"

// Turns on or off the client arrays the chunk meshes are drawn from:
// positions, colours and texture coordinates.
void setMeshArrays(bool on);

// Reads the current projection and model-view matrices into frustumPlanes and
// the eye that drawWorld chooses each chunk's faces for.
void extractFrustum();

// One translated draw per chunk that passes the frustum test, straight from
// the chunk's client-side arrays, of the faces that can face the eye: through
// the chunk's index list, in mesh order (a chunk with none is not sent). With
// `leaveOutHidden`, the chunks and parts the ground in front of them hides
// (render/horizon) are not sent either.
// Each chunk is moved into place and back with a pair of translations, which
// can change the model-view matrix's last bits. Returns the number of chunks
// that passed the test.
int drawWorld(const World& world, bool leaveOutHidden = true);
