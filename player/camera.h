#pragma once
// Where the camera stands and looks for a player, in double precision for the
// look-at call.

#include "player/player.h"

struct Vec3d {
    double x, y, z;
};

struct CameraView {
    Vec3d eye;
    Vec3d target;
    Vec3d up;
};

// The view direction: (cos yaw sin pitch, cos pitch, sin yaw sin pitch), from
// sines and cosines rounded to single precision.
Vec3d viewDirection(const Player& player);

// Along the view direction, or from the player toward the world origin while
// Home is held.
CameraView cameraView(const Player& player, bool homeHeld);
