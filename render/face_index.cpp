#include "render/face_index.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "render/mesher.h"

namespace {

constexpr int LAYER_BITS = FACE_LAYER_BITS;
constexpr int LAYER_LIMIT = 18;  // layers 0..17; a bound of 18 takes every layer or none

bool positiveFace(int face) { return face & 1; }

// Bound for a face direction whose planes' eye-side coordinate is `eye`
// (chunk units): negative faces are selected from the bound's layer up,
// positive ones below it.
int layerBound(int face, double eye) {
    double bound = positiveFace(face) ? std::ceil((eye + 16.0 + FACE_BACK_MARGIN) / 16.0)
                                      : std::floor((eye + 16.0 - FACE_BACK_MARGIN) / 16.0) + 1.0;
    // Not a number selects every face.
    if (positiveFace(face)) return bound < 0.0 ? 0 : bound < LAYER_LIMIT ? static_cast<int>(bound) : LAYER_LIMIT;
    return bound > LAYER_LIMIT ? LAYER_LIMIT : bound > 0.0 ? static_cast<int>(bound) : 0;
}

}  // namespace

std::uint8_t* resetFaceIndex(ChunkFaceIndex& faces, std::uint32_t faceCount) {
    freeChunkFaceIndex(faces);
    if (faceCount == 0) return nullptr;
    faces.codes = new std::uint8_t[faceCount];
    faces.faceCount = faceCount;
    return faces.codes;
}

EyePoint eyeOfView(const float projection[16], const float modelview[16]) {
    const double nan = std::nan("");
    // Row 3 of a perspective projection about the origin is (0, 0, -1, 0).
    if (projection[3] != 0.0f || projection[7] != 0.0f || projection[11] != -1.0f || projection[15] != 0.0f)
        return {nan, nan, nan};
    // Solve A e = -t for the upper 3 x 3 A and translation t (column-major).
    const auto a = [&](int row, int column) { return static_cast<double>(modelview[4 * column + row]); };
    const double t[3] = {-static_cast<double>(modelview[12]), -static_cast<double>(modelview[13]),
                         -static_cast<double>(modelview[14])};
    const double det = a(0, 0) * (a(1, 1) * a(2, 2) - a(1, 2) * a(2, 1)) -
                       a(0, 1) * (a(1, 0) * a(2, 2) - a(1, 2) * a(2, 0)) +
                       a(0, 2) * (a(1, 0) * a(2, 1) - a(1, 1) * a(2, 0));
    if (!(std::fabs(det) > 1e-12)) return {nan, nan, nan};
    // Cramer's rule, one column replaced by t at a time.
    double e[3];
    for (int c = 0; c < 3; ++c) {
        const auto m = [&](int row, int column) { return column == c ? t[row] : a(row, column); };
        e[c] = (m(0, 0) * (m(1, 1) * m(2, 2) - m(1, 2) * m(2, 1)) - m(0, 1) * (m(1, 0) * m(2, 2) - m(1, 2) * m(2, 0)) +
                m(0, 2) * (m(1, 0) * m(2, 1) - m(1, 1) * m(2, 0))) /
               det;
    }
    return {e[0], e[1], e[2]};
}

std::uint32_t faceSelectionKey(EyePoint eye, int cx, int cy, int cz) {
    const double local[FACE_COUNT] = {eye.x - UNITS_PER_CHUNK * cx, eye.x - UNITS_PER_CHUNK * cx,
                                      eye.z - UNITS_PER_CHUNK * cz, eye.z - UNITS_PER_CHUNK * cz,
                                      eye.y - UNITS_PER_CHUNK * cy, eye.y - UNITS_PER_CHUNK * cy};
    std::uint32_t key = 1u << 31;
    for (int face = 0; face < FACE_COUNT; ++face)
        key |= static_cast<std::uint32_t>(layerBound(face, local[face])) << (LAYER_BITS * face);
    return key;
}

bool faceSelected(std::uint32_t key, std::uint8_t code) {
    const int face = code >> LAYER_BITS, layer = code & ((1 << LAYER_BITS) - 1);
    if (face >= FACE_COUNT) return false;
    const int bound = static_cast<int>(key >> (LAYER_BITS * face) & ((1u << LAYER_BITS) - 1));
    return positiveFace(face) ? layer < bound : layer >= bound;
}

static_assert(4 * FACE_PART_UNITS == UNITS_PER_CHUNK, "four parts a side fill a chunk: 64 parts, one bit each");

std::uint64_t partsInView(const FrustumPlanes& frustum, int cx, int cy, int cz) {
    constexpr double PART = FACE_PART_UNITS;
    const int chunk[3] = {cx, cy, cz};
    std::uint64_t parts = EVERY_PART;
    for (const auto& plane : frustum.planes) {
        // Per axis and part, that axis's share of the distance of the part's
        // corner farthest in front; and the distance of the chunk's corner
        // nearest, which tells whether the plane can leave out any part.
        double reach[3][4];
        double chunkNearest = plane[3];
        for (int axis = 0; axis < 3; ++axis) {
            const double low = drawnBoxLow(chunk[axis], axis);
            const bool towardHigh = plane[axis] > 0.0f;
            for (int k = 0; k < 4; ++k) reach[axis][k] = plane[axis] * (low + PART * (towardHigh ? k + 1 : k));
            chunkNearest += plane[axis] * (towardHigh ? low : low + 4 * PART);
        }
        // Not a number leaves every part in.
        if (!(chunkNearest < -FACE_PART_MARGIN)) continue;
        for (int part = 0; part < 64; ++part)
            if (reach[0][part & 3] + reach[1][part >> 2 & 3] + reach[2][part >> 4] + plane[3] < -FACE_PART_MARGIN)
                parts &= ~(std::uint64_t{1} << part);
    }
    return parts;
}

int facePart(const std::int16_t* p) {
    // The first triangle holds three corners of the face's rectangle, so
    // both ends of each of its sides.
    int part = 0;
    for (int axis = 0; axis < 3; ++axis) {
        const int lowest = std::min({p[axis], p[3 + axis], p[6 + axis]});
        const int fromBox = lowest - static_cast<int>(drawnBoxLow(0, axis));
        // A face on the box's high side lies on the last part's.
        part |= std::clamp(fromBox / FACE_PART_UNITS, 0, 3) << (2 * axis);
    }
    return part;
}

namespace {

template <typename Index>
std::uint32_t fillIndices(Index* out, const std::uint8_t* codes, std::uint32_t faceCount, const bool selected[256],
                          const std::int16_t* positions, std::uint64_t parts) {
    Index* next = out;
    for (std::uint32_t f = 0; f < faceCount; ++f) {
        if (!selected[codes[f]]) continue;
        if (parts != EVERY_PART && !(parts >> facePart(positions + POSITIONS_PER_FACE * f) & 1u)) continue;
        const auto first = static_cast<Index>(6 * f);
        const std::uint8_t* source = FACE_VERTEX_SOURCE[codes[f] >> LAYER_BITS];
        for (int v = 0; v < 6; ++v) next[v] = static_cast<Index>(first + source[v]);
        next += 6;
    }
    return static_cast<std::uint32_t>(next - out);
}

}  // namespace

std::uint32_t selectFaces(ChunkFaceIndex& faces, const std::int16_t* positions, std::uint32_t key,
                          std::uint64_t parts) {
    if (faces.faceCount == 0 || (key == faces.indexKey && parts == faces.indexParts)) return faces.indexCount;
    const bool isShort = shortFaceIndices(faces);
    if (!faces.indices)
        faces.indices = ::operator new(std::size_t{faces.faceCount} * 6 * (isShort ? 2 : 4));
    bool selected[256];
    for (int code = 0; code < 256; ++code) selected[code] = faceSelected(key, static_cast<std::uint8_t>(code));
    faces.indexCount =
        isShort ? fillIndices(static_cast<std::uint16_t*>(faces.indices), faces.codes, faces.faceCount, selected,
                              positions, parts)
                : fillIndices(static_cast<std::uint32_t*>(faces.indices), faces.codes, faces.faceCount, selected,
                              positions, parts);
    faces.indexKey = key;
    faces.indexParts = parts;
    return faces.indexCount;
}
