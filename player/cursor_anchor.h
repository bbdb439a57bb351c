#pragma once
// Mouse look reads the cursor's offset from the window centre and puts it back
// there every frame. That offset is the player's motion only if the window has
// stayed where it was when the cursor was last centred: after the focus comes
// back (the cursor was elsewhere), or once the window manager has moved or
// resized the window (maximising, restoring, its animations), the offset says
// where the window went, not where the mouse did.

struct CursorAnchor {
    bool set;  // the cursor was put at the centre in the previous frame
    int left, top;
    unsigned width, height;
};

// Whether this frame's cursor offset is motion; updates the anchor to the
// window's current place and size (the caller centres the cursor after).
bool takeCursorMotion(CursorAnchor& anchor, bool focused, int left, int top, unsigned width, unsigned height);
