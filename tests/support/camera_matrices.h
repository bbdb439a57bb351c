#pragma once
// Column-major matrices as the fixed-function pipeline builds them, in single
// precision: frustum planes without GL, from a camera known independently.

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
