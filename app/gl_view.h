#pragma once
// The GL state the game draws under, kept in one place: the game sets it, and
// the off-screen test that compares pictures of the world
// (tests/gl/skipped_faces_test.cpp) draws under the same.

#include "player/player.h"

// Depth testing, blending, alpha test, back-face culling, the client arrays
// and texturing, set once at start-up.
void setFixedGlState();

// The one perspective: 45 degrees of field of view at the window's aspect.
void setProjection(unsigned width, unsigned height);

// The camera transform for this frame, into the model-view matrix.
void loadCamera(const Player& player, bool homeHeld);
