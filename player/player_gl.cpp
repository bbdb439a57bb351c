#include "player/player_gl.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "player/camera.h"
#include "render/world_draw.h"

// Last: its macros (None, Status, ...) would clash with names above.
#include <X11/Xlib.h>

namespace {

// The cursor is read, moved, hidden and shown on a connection of its own: the
// requests reach the server in the order sent, so the cursor is hidden before
// it is first moved, and each move starts from where the read found it.
struct CursorLink {
    Display* display;
    Cursor blank;
    bool hidden;
};

CursorLink& cursorLink() {
    static CursorLink link = [] {
        CursorLink made = {XOpenDisplay(nullptr), None, false};
        if (!made.display) return made;
        char noBits = 0;
        XColor black = {};
        const Pixmap empty = XCreateBitmapFromData(made.display, DefaultRootWindow(made.display), &noBits, 1, 1);
        made.blank = XCreatePixmapCursor(made.display, empty, empty, &black, &black, 0, 0);
        XFreePixmap(made.display, empty);
        return made;
    }();
    return link;
}

// Hidden while the game has focus: Xwayland moves only a hidden cursor for a
// client (it then locks the pointer and replays its motion), and a cursor kept
// at the centre is of no use to see. Shown again for the rest of the desktop.
void hideCursor(CursorLink& link, ::Window window, bool hide) {
    if (!link.display || link.hidden == hide) return;
    link.hidden = hide;
    if (hide)
        XDefineCursor(link.display, window, link.blank);
    else
        XUndefineCursor(link.display, window);
    XFlush(link.display);
}

// The cursor and the window's place in one reply, so a window move cannot
// fall between them and be taken for motion. Unfocused when it cannot be read
// (the cursor on another screen): no motion, no move.
CursorRead readCursor(CursorLink& link, ::Window window, sf::Vector2u size) {
    ::Window root, child;
    int rootX, rootY, x, y;
    unsigned buttons;
    if (!link.display || !XQueryPointer(link.display, window, &root, &child, &rootX, &rootY, &x, &y, &buttons))
        return CursorRead{};
    Screen* screen = DefaultScreenOfDisplay(link.display);
    return {true, rootX - x, rootY - y, size.x, size.y, x, y, static_cast<unsigned>(WidthOfScreen(screen)),
            static_cast<unsigned>(HeightOfScreen(screen))};
}

void moveCursor(CursorLink& link, const CursorMotion& motion) {
    if (!link.display || !motion.move) return;
    XWarpPointer(link.display, None, None, 0, 0, 0, 0, motion.moveX, motion.moveY);
    XFlush(link.display);
}

}  // namespace

PlayerInput readPlayerInput(sf::Window& window, bool focused, CursorAnchor& anchor) {
    PlayerInput input = {};
    input.focused = focused;
    input.leftButton = sf::Mouse::isButtonPressed(sf::Mouse::Left);
    input.rightButton = sf::Mouse::isButtonPressed(sf::Mouse::Right);
    CursorLink& link = cursorLink();
    hideCursor(link, window.getSystemHandle(), focused);
    if (!focused) {
        takeCursorMotion(anchor, CursorRead{});
        return input;
    }
    input.forward = sf::Keyboard::isKeyPressed(sf::Keyboard::W);
    input.backward = sf::Keyboard::isKeyPressed(sf::Keyboard::S);
    input.left = sf::Keyboard::isKeyPressed(sf::Keyboard::A);
    input.right = sf::Keyboard::isKeyPressed(sf::Keyboard::D);
    input.jump = sf::Keyboard::isKeyPressed(sf::Keyboard::Space);
    const CursorMotion motion =
        takeCursorMotion(anchor, readCursor(link, window.getSystemHandle(), window.getSize()));
    input.cursorDx = motion.dx;
    input.cursorDy = motion.dy;
    moveCursor(link, motion);
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
