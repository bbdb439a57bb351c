#pragma once
// Column-major 4x4 matrices built the way the fixed-function pipeline builds
// them, in single precision, so the frustum's planes can be found without GL
// and checked against a camera whose geometry is known independently of the
// game's code.

#include "player/player.h"
#include "render/frustum.h"

struct Mat4 {
    float m[16];
};

Mat4 identity();
Mat4 perspective(float fovyDegrees, float aspect, float zNear, float zFar);
Mat4 lookAt(const float eye[3], const float centre[3], const float up[3]);

// The game's frustum for a player: the start-up perspective and the look-at of cameraView.
FrustumPlanes frustumFor(const Player& player);
