// The desktop and the system on Linux: an X11 display (Xwayland included)
// through Xlib, Xrandr and GLX, POSIX files and memory.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <SFML/Window/Window.hpp>
#include <cstdlib>
#include <cstring>

#include "app/window_rules.h"
#include "platform/platform.h"
#include "player/cursor_anchor.h"

// Last: their macros (None, Status, ...) would clash with names above.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

namespace {

// Whether the screen has a visual of its own depth that the game can draw
// on: the window is made with a visual of the screen's depth.
bool hasGlVisual(Display* display, int depth) {
    XVisualInfo wanted = {};
    wanted.screen = DefaultScreen(display);
    wanted.depth = depth;
    int count = 0;
    XVisualInfo* visuals = XGetVisualInfo(display, VisualScreenMask | VisualDepthMask, &wanted, &count);
    bool found = false;
    for (int i = 0; i < count && !found; ++i) {
        int gl = 0, rgba = 0, depthBits = 0;
        glXGetConfig(display, &visuals[i], GLX_USE_GL, &gl);
        glXGetConfig(display, &visuals[i], GLX_RGBA, &rgba);
        glXGetConfig(display, &visuals[i], GLX_DEPTH_SIZE, &depthBits);
        found = glVisualSuitsGame(gl != 0, rgba != 0, depthBits);
    }
    if (visuals) XFree(visuals);
    return found;
}

// The cursor is read, moved, hidden and shown on a connection of its own: the
// requests reach the server in the order sent, so the cursor is hidden before
// it is first moved, and each move starts from where the read found it.
struct CursorLink {
    Display* display;
    Cursor blank;
    bool hidden;
    bool onXwayland;
    CursorAnchor anchor;
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
        CursorLink made = {XOpenDisplay(nullptr), None, false, false, {false, 0, 0, 0, 0}};
        if (!made.display) return made;
        made.onXwayland = isXwayland(made.display);
        char noBits = 0;
        XColor black = {};
        const Pixmap empty =
            XCreateBitmapFromData(made.display, DefaultRootWindow(made.display), &noBits, 1, 1);
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
    if (!link.display ||
        !XQueryPointer(link.display, window, &root, &child, &rootX, &rootY, &x, &y, &buttons))
        return CursorRead{};
    Screen* screen = DefaultScreenOfDisplay(link.display);
    return {true,
            rootX - x,
            rootY - y,
            size.x,
            size.y,
            x,
            y,
            static_cast<unsigned>(WidthOfScreen(screen)),
            static_cast<unsigned>(HeightOfScreen(screen)),
            link.onXwayland};
}

// A move by the offset just read, not to the centre: motion that arrives
// between the read and the move stays in the cursor for the next frame.
void moveCursor(CursorLink& link, const CursorMotion& motion) {
    if (!link.display || !motion.move) return;
    XWarpPointer(link.display, None, None, 0, 0, 0, 0, motion.moveX, motion.moveY);
    XFlush(link.display);
}

}  // namespace

const char* displayProblem(unsigned& screenBits) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return "no X display is available (is DISPLAY set?)";
    screenBits = static_cast<unsigned>(DefaultDepth(display, DefaultScreen(display)));
    int errorBase = 0, eventBase = 0;
    const char* problem = nullptr;
    if (!glXQueryExtension(display, &errorBase, &eventBase))
        problem = "the X server has no OpenGL (GLX) support";
    else if (!hasGlVisual(display, static_cast<int>(screenBits)))
        problem = "no OpenGL visual with a depth buffer at the screen's depth";
    XCloseDisplay(display);
    return problem;
}

// A program started from a terminal writes to it already.
void useParentConsole() {}

LookMotion takeMouseLook(sf::Window& window, bool focused) {
    CursorLink& link = cursorLink();
    hideCursor(link, window.getSystemHandle(), focused);
    if (!focused) {
        takeCursorMotion(link.anchor, CursorRead{});
        return {0, 0};
    }
    const CursorMotion motion =
        takeCursorMotion(link.anchor, readCursor(link, window.getSystemHandle(), window.getSize()));
    moveCursor(link, motion);
    return {motion.dx, motion.dy};
}

// Opened without waiting, then checked, so the file looked at is the file read.
std::FILE* openRegularFile(const char* path) {
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info;
    std::FILE* file = nullptr;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) file = fdopen(fd, "rb");
    if (!file) close(fd);
    return file;
}

void* allocateAlignedMemory(std::size_t bytes, std::size_t alignment) {
    void* memory = std::aligned_alloc(alignment, bytes);
    return memory ? memory : std::malloc(bytes);
}

void freeAlignedMemory(void* memory) { std::free(memory); }

void adviseHugePages(void* begin, std::size_t bytes) {
    if (bytes) madvise(begin, bytes, MADV_HUGEPAGE);
}
