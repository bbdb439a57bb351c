#include "player/camera_gl.h"

#include <GL/glu.h>

#include "player/camera.h"

void loadCamera(const Player& player, bool homeHeld) {
    const CameraView v = cameraView(player, homeHeld);
    gluLookAt(v.eye.x, v.eye.y, v.eye.z, v.target.x, v.target.y, v.target.z, v.up.x, v.up.y, v.up.z);
}
