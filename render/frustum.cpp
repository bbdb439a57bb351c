#include "render/frustum.h"

#include <cmath>

FrustumPlanes frustumPlanes = {};

FrustumPlanes frustumFromMatrices(const float projection[16], const float modelview[16]) {
    const float* P = projection;
    const float* M = modelview;
    float clip[16];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            clip[4 * r + c] = M[4 * r] * P[c] + M[4 * r + 1] * P[4 + c] + M[4 * r + 2] * P[8 + c] +
                              M[4 * r + 3] * P[12 + c];

    // Row k of the combined matrix is clip[k], clip[4+k], clip[8+k], clip[12+k].
    struct PlaneRule {
        int row;
        float sign;
    };
    const PlaneRule rules[6] = {{0, -1.0f}, {0, 1.0f}, {1, 1.0f}, {1, -1.0f}, {2, -1.0f}, {2, 1.0f}};

    FrustumPlanes frustum;
    for (int i = 0; i < 6; ++i) {
        const int k = rules[i].row;
        const float s = rules[i].sign;
        float* plane = frustum.planes[i];
        plane[0] = clip[3] + s * clip[k];
        plane[1] = clip[7] + s * clip[4 + k];
        plane[2] = clip[11] + s * clip[8 + k];
        plane[3] = clip[15] + s * clip[12 + k];
        const float lengthSquared = plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2];
        const float length = std::sqrt(lengthSquared);
        for (int j = 0; j < 4; ++j) plane[j] /= length;
    }
    return frustum;
}

bool boxInFrustum(const FrustumPlanes& frustum, float x, float y, float z, float half) {
    const double lo[3] = {static_cast<double>(x) - half, static_cast<double>(y) - half,
                          static_cast<double>(z) - half};
    const double hi[3] = {static_cast<double>(x) + half, static_cast<double>(y) + half,
                          static_cast<double>(z) + half};
    for (const auto& plane : frustum.planes) {
        bool anyInFront = false;
        for (int corner = 0; corner < 8 && !anyInFront; ++corner) {
            const double px = (corner & 1) ? hi[0] : lo[0];
            const double py = (corner & 2) ? hi[1] : lo[1];
            const double pz = (corner & 4) ? hi[2] : lo[2];
            // A distance of exactly 0, or NaN, counts as behind.
            anyInFront = plane[0] * px + plane[1] * py + plane[2] * pz + plane[3] > 0.0;
        }
        if (!anyInFront) return false;
    }
    return true;
}

bool boxInFrustum(float x, float y, float z, float half) {
    return boxInFrustum(frustumPlanes, x, y, z, half);
}

bool chunkInFrustum(const FrustumPlanes& frustum, int cx, int cy, int cz) {
    constexpr double HALF = UNITS_PER_CHUNK / 2;
    return boxInFrustum(frustum, static_cast<float>(drawnBoxLow(cx, 0) + HALF),
                        static_cast<float>(drawnBoxLow(cy, 1) + HALF), static_cast<float>(drawnBoxLow(cz, 2) + HALF),
                        static_cast<float>(HALF));
}
