#include "player/player_input.h"

#include <cstring>

// Last: its macros (None, Status, ...) would clash with names above.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace {

// The cursor is read, moved, hidden and shown on a connection of its own: the
// requests reach the server in the order sent, so the cursor is hidden before
// it is first moved, and each move starts from where the read found it.
struct CursorLink {
    Display* display;
    Cursor blank;
    bool hidden;
    bool onXwayland;
};

// Xwayland names its outputs XWAYLAND0, XWAYLAND1, ...
bool isXwayland(Display* display) {
    int eventBase = 0, errorBase = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase)) return false;
    XRRScreenResources* screen = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    bool found = false;
    for (int i = 0; screen && i < screen->noutput && !found; ++i) {
        XRROutputInfo* output = XRRGetOutputInfo(display, screen, screen->outputs[i]);
        found = output && std::strncmp(output->name, "XWAYLAND", 8) == 0;
        if (output) XRRFreeOutputInfo(output);
    }
    if (screen) XRRFreeScreenResources(screen);
    return found;
}

CursorLink& cursorLink() {
    static CursorLink link = [] {
        CursorLink made = {XOpenDisplay(nullptr), None, false, false};
        if (!made.display) return made;
        made.onXwayland = isXwayland(made.display);
        char noBits = 0;
        XColor black = {};
        const Pixmap empty = XCreateBitmapFromData(made.display, DefaultRootWindow(made.display), &noBits, 1, 1);
        made.blank = XCreatePixmapCursor(made.display, empty, empty, &black, &black, 0, 0);
        XFreePixmap(made.display, empty);
        return made;
    }();
    return link;
}

// Hidden while the game has focus: under Xwayland a visible cursor that the
// game moves makes the view spin, and a cursor kept at the centre is of no use
// to see. Shown again for the rest of the desktop.
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
            static_cast<unsigned>(HeightOfScreen(screen)), link.onXwayland};
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
    input.home = sf::Keyboard::isKeyPressed(sf::Keyboard::Home);
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
