#include "tests/support/camera_matrices.h"

#include <cmath>

#include "player/camera.h"

Mat4 identity() {
    Mat4 r = {};
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1.0f;
    return r;
}

Mat4 perspective(float fovyDegrees, float aspect, float zNear, float zFar) {
    const float f = 1.0f / std::tan(fovyDegrees * 3.14159265f / 360.0f);
    Mat4 r = {};
    r.m[0] = f / aspect;
    r.m[5] = f;
    r.m[10] = (zFar + zNear) / (zNear - zFar);
    r.m[11] = -1.0f;
    r.m[14] = 2.0f * zFar * zNear / (zNear - zFar);
    return r;
}

static void normalise(float v[3]) {
    const float n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    for (int i = 0; i < 3; ++i) v[i] /= n;
}

Mat4 lookAt(const float eye[3], const float centre[3], const float up[3]) {
    float f[3] = {centre[0] - eye[0], centre[1] - eye[1], centre[2] - eye[2]};
    normalise(f);
    float s[3] = {f[1] * up[2] - f[2] * up[1], f[2] * up[0] - f[0] * up[2], f[0] * up[1] - f[1] * up[0]};
    normalise(s);
    const float u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2], s[0] * f[1] - s[1] * f[0]};
    Mat4 r = identity();
    for (int i = 0; i < 3; ++i) {
        r.m[4 * i] = s[i];
        r.m[4 * i + 1] = u[i];
        r.m[4 * i + 2] = -f[i];
    }
    r.m[12] = -(s[0] * eye[0] + s[1] * eye[1] + s[2] * eye[2]);
    r.m[13] = -(u[0] * eye[0] + u[1] * eye[1] + u[2] * eye[2]);
    r.m[14] = f[0] * eye[0] + f[1] * eye[1] + f[2] * eye[2];
    return r;
}

// The game's frustum for a player: the start-up perspective and the look-at of cameraView.
FrustumPlanes frustumFor(const Player& player) {
    const CameraView view = cameraView(player, false);
    const float eye[3] = {static_cast<float>(view.eye.x), static_cast<float>(view.eye.y),
                          static_cast<float>(view.eye.z)};
    const float target[3] = {static_cast<float>(view.target.x), static_cast<float>(view.target.y),
                             static_cast<float>(view.target.z)};
    const float up[3] = {0.0f, 1.0f, 0.0f};
    const Mat4 projection = perspective(45.0f, 640.0f / 480.0f, 0.1f, 32000.0f);
    const Mat4 modelview = lookAt(eye, target, up);
    return frustumFromMatrices(projection.m, modelview.m);
}
