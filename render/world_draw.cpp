#include "render/world_draw.h"

#include <GL/gl.h>

#include <initializer_list>
#include <limits>

#include "render/face_index.h"
#include "render/frustum.h"
#include "render/horizon.h"

namespace {

// The eye of the view last read, which each chunk's faces are chosen for;
// not a number (every face) until then.
EyePoint viewEye = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN(),
                    std::numeric_limits<double>::quiet_NaN()};

}  // namespace

void setMeshArrays(bool on) {
    for (GLenum array : {GL_VERTEX_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY})
        on ? glEnableClientState(array) : glDisableClientState(array);
}

void extractFrustum() {
    float projection[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    frustumPlanes = frustumFromMatrices(projection, modelview);
    viewEye = eyeOfView(projection, modelview);
}

int drawWorld(const World& world, bool leaveOutHidden) {
    const EyePoint eye = viewEye;
    static HiddenChunks hidden;
    if (leaveOutHidden)
        findHiddenChunks(world, eye, frustumPlanes, hidden);
    else
        hidden = HiddenChunks{};
    int drawn = 0;
    for (int x = 0; x < WORLD_CHUNKS_X; ++x)
        for (int y = 0; y < WORLD_CHUNKS_Y; ++y)
            for (int z = 0; z < WORLD_CHUNKS_Z; ++z) {
                if (!chunkInFrustum(frustumPlanes, x, y, z)) continue;
                Chunk* chunk = world.chunks[chunkSlot(x, y, z)];
                if (!chunk) continue;
                ++drawn;
                // Only the faces that can face the eye, in the parts that can
                // show and that the ground in front does not hide: the software
                // renderer transforms every vertex it is sent before it culls
                // or clips.
                ChunkFaceIndex& faces = chunk->faces;
                const ChunkMesh& mesh = chunk->mesh;
                const std::uint64_t hiddenParts = hidden.parts[chunkSlot(x, y, z)];
                const std::uint32_t count =
                    hiddenParts == EVERY_PART
                        ? 0
                        : selectFaces(faces, mesh.positions, faceSelectionKey(eye, x, y, z),
                                      partsInView(frustumPlanes, x, y, z) & ~hiddenParts);
                const float ox = static_cast<float>(UNITS_PER_CHUNK * x);
                const float oy = static_cast<float>(UNITS_PER_CHUNK * y);
                const float oz = static_cast<float>(UNITS_PER_CHUNK * z);
                // The move and its undoing, even with nothing to draw: in
                // single precision the pair can leave the last bits of the
                // model-view changed, and the chunks after this one must be
                // drawn through the very matrix a whole-world draw would use.
                glTranslatef(ox, oy, oz);
                if (count != 0) {
                    glVertexPointer(3, GL_SHORT, 0, mesh.positions);
                    glColorPointer(4, GL_UNSIGNED_BYTE, 0, mesh.colours);
                    glTexCoordPointer(2, GL_FLOAT, 0, mesh.texCoords);
                    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(count),
                                   shortFaceIndices(faces) ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT,
                                   faces.indices);
                }
                glTranslatef(-ox, -oy, -oz);
            }
    return drawn;
}
