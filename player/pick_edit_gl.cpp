#include "player/pick_edit_gl.h"

#include <GL/gl.h>

namespace {

void drawOutline(Int3 block) {
    float vertices[OUTLINE_VERTICES * 3];
    outlineVertices(block, vertices);
    GLubyte colours[OUTLINE_VERTICES * 4];
    for (int v = 0; v < OUTLINE_VERTICES; ++v) {
        colours[4 * v + 0] = colours[4 * v + 1] = colours[4 * v + 2] = 0;
        colours[4 * v + 3] = 255;
    }
    // The texture-coordinate array still points at some chunk's mesh, which may
    // be shorter than the outline: keep it and texturing off for the lines.
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisable(GL_TEXTURE_2D);
    glVertexPointer(3, GL_FLOAT, 0, vertices);
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, colours);
    glDrawArrays(GL_LINES, 0, OUTLINE_VERTICES);
    glEnable(GL_TEXTURE_2D);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
}

}  // namespace

PickAndEditResult pickAndEdit(World& world, const Player& player) {
    PickAndEditResult result = {pickBlock(world, player), {EDIT_NONE, 0, {}}};
    if (!result.pick.hit) return result;
    drawOutline(result.pick.block);
    result.edit = applyEdit(world, player, result.pick);
    return result;
}
