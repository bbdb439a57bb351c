#include "player/player_gl.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "player/camera.h"
#include "render/world_draw.h"

PlayerInput readPlayerInput(sf::Window& window, bool focused, CursorAnchor& anchor) {
    PlayerInput input = {};
    input.focused = focused;
    input.leftButton = sf::Mouse::isButtonPressed(sf::Mouse::Left);
    input.rightButton = sf::Mouse::isButtonPressed(sf::Mouse::Right);
    if (!focused) {
        takeCursorMotion(anchor, false, 0, 0, 0, 0);
        return input;
    }
    input.forward = sf::Keyboard::isKeyPressed(sf::Keyboard::W);
    input.backward = sf::Keyboard::isKeyPressed(sf::Keyboard::S);
    input.left = sf::Keyboard::isKeyPressed(sf::Keyboard::A);
    input.right = sf::Keyboard::isKeyPressed(sf::Keyboard::D);
    input.jump = sf::Keyboard::isKeyPressed(sf::Keyboard::Space);
    const sf::Vector2u size = window.getSize();
    const sf::Vector2i centre(static_cast<int>(size.x / 2), static_cast<int>(size.y / 2));
    const sf::Vector2i cursor = sf::Mouse::getPosition(window);
    // Read after the cursor, so a move in between is caught rather than taken for motion.
    const sf::Vector2i place = window.getPosition();
    if (takeCursorMotion(anchor, true, place.x, place.y, size.x, size.y)) {
        input.cursorDx = cursor.x - centre.x;
        input.cursorDy = cursor.y - centre.y;
    }
    sf::Mouse::setPosition(centre, window);
    // While the manager slides the window in from off the screen the centre
    // may be out of the cursor's reach; an offset from there is no motion.
    if (sf::Mouse::getPosition(window) != centre) anchor.set = false;
    return input;
}

void updatePlayer(Player& player, sf::Window& window, bool focused, CursorAnchor& anchor) {
    stepPlayer(player, readPlayerInput(window, focused, anchor));
}

void updateCamera(const Player& player, bool homeHeld) {
    const CameraView v = cameraView(player, homeHeld);
    gluLookAt(v.eye.x, v.eye.y, v.eye.z, v.target.x, v.target.y, v.target.z, v.up.x, v.up.y, v.up.z);
    extractFrustum();
}

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
