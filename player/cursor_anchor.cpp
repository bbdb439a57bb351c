#include "player/cursor_anchor.h"

bool takeCursorMotion(CursorAnchor& anchor, bool focused, int left, int top, unsigned width,
                      unsigned height) {
    if (!focused) {
        anchor.set = false;  // the cursor is not kept centred meanwhile
        return false;
    }
    const bool kept = anchor.set && anchor.left == left && anchor.top == top && anchor.width == width &&
                      anchor.height == height;
    anchor = {true, left, top, width, height};
    return kept;
}
