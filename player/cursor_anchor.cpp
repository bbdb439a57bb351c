#include "player/cursor_anchor.h"

CursorMotion takeCursorMotion(CursorAnchor& anchor, const CursorRead& read) {
    // Where a move is not made on screen (Xwayland), a cursor outside the
    // window, on its way to the title bar say, is left alone: moved, the
    // server's cursor would be where the screen's is not, and the next click
    // would go to the game instead of what the player clicked.
    const bool inside = read.x >= 0 && read.y >= 0 && read.x < static_cast<long>(read.width) &&
                        read.y < static_cast<long>(read.height);
    if (!read.focused || (!inside && read.movesOnlyInside)) {
        anchor.set = false;  // the cursor is not kept centred meanwhile
        return {0, 0, false, 0, 0};
    }
    const int centreX = static_cast<int>(read.width / 2), centreY = static_cast<int>(read.height / 2);
    const bool kept = anchor.set && anchor.left == read.left && anchor.top == read.top &&
                      anchor.width == read.width && anchor.height == read.height;
    CursorMotion motion = {0, 0, true, centreX - read.x, centreY - read.y};
    if (kept) {
        motion.dx = read.x - centreX;
        motion.dy = read.y - centreY;
    }
    // While the manager slides the window in from off the screen the centre
    // is out of the cursor's reach: the move stops short, and the offset from
    // there next frame is no motion.
    const long screenX = static_cast<long>(read.left) + centreX, screenY = static_cast<long>(read.top) + centreY;
    const bool reachable = screenX >= 0 && screenY >= 0 && screenX < static_cast<long>(read.screenWidth) &&
                           screenY < static_cast<long>(read.screenHeight);
    anchor = {reachable, read.left, read.top, read.width, read.height};
    return motion;
}
