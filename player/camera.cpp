#include "player/camera.h"

Vec3d viewDirection(const Player& player) {
    const ViewTrig v = viewTrig(player);
    return {static_cast<double>(v.cosYaw) * v.sinPitch, v.cosPitch,
            static_cast<double>(v.sinYaw) * v.sinPitch};
}

CameraView cameraView(const Player& player, bool homeHeld) {
    const Vec3f& p = player.position;
    CameraView view;
    view.up = {0.0, 1.0, 0.0};
    if (homeHeld) {
        view.eye = {p.x, static_cast<double>(p.y) + CAMERA_HOME_EYE_HEIGHT, p.z};
        view.target = {0.0, 0.0, 0.0};
        return view;
    }
    const Vec3d d = viewDirection(player);
    view.eye = {p.x, static_cast<double>(p.y) + CAMERA_EYE_HEIGHT, p.z};
    view.target = {view.eye.x + d.x, view.eye.y + d.y, view.eye.z + d.z};
    return view;
}
