#include "render/world_draw.h"

#include <GL/gl.h>

#include "render/frustum.h"

void extractFrustum() {
    float projection[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    frustumPlanes = frustumFromMatrices(projection, modelview);
}

int drawWorld(const World& world) {
    int drawn = 0;
    for (int x = 0; x < WORLD_CHUNKS_X; ++x)
        for (int y = 0; y < WORLD_CHUNKS_Y; ++y)
            for (int z = 0; z < WORLD_CHUNKS_Z; ++z) {
                if (!chunkInFrustum(frustumPlanes, x, y, z)) continue;
                const Chunk* chunk = world.chunks[chunkSlot(x, y, z)];
                if (!chunk) continue;
                const ChunkMesh& mesh = chunk->mesh;
                const float ox = static_cast<float>(UNITS_PER_CHUNK * x);
                const float oy = static_cast<float>(UNITS_PER_CHUNK * y);
                const float oz = static_cast<float>(UNITS_PER_CHUNK * z);
                glTranslatef(ox, oy, oz);
                glVertexPointer(3, GL_SHORT, 0, mesh.positions);
                glColorPointer(4, GL_UNSIGNED_BYTE, 0, mesh.colours);
                glTexCoordPointer(2, GL_FLOAT, 0, mesh.texCoords);
                glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(mesh.positionCount / 3));
                // Whole numbers, exact in single precision: this undoes the move exactly.
                glTranslatef(-ox, -oy, -oz);
                ++drawn;
            }
    return drawn;
}
