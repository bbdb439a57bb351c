#pragma once
// Mouse look reads the cursor's offset from the window centre and puts it back
// there every frame. That offset is the player's motion only if the window has
// stayed where it was when the cursor was last centred: after the focus comes
// back (the cursor was elsewhere), or once the window manager has moved or
// resized the window (maximising, restoring, its animations), the offset says
// where the window went, not where the mouse did.
//
// Where moving the cursor does not move the pointer on screen (Xwayland: the
// compositor's pointer stays where the player put it), a cursor outside the
// window is left where it is and its travels there are no motion: the window
// takes it back once it comes in. Elsewhere a quick flick past the window's
// edge still turns the view and is brought back.
//
// The cursor is put back by moving it by the offset just read, not to the
// centre: motion that arrives between the read and the move then stays in the
// cursor for the next frame, so none is lost.

struct CursorAnchor {
    bool set;  // the cursor was brought to the centre in the previous frame
    int left, top;
    unsigned width, height;
};

// One frame's look at the window and the cursor, taken in one request.
struct CursorRead {
    bool focused;
    int left, top;           // the window's inside, in screen pixels
    unsigned width, height;  // the window's size
    int x, y;                // the cursor, relative to the window
    unsigned screenWidth, screenHeight;
    bool movesOnlyInside;  // a move of a cursor outside the window would not be made on screen
};

struct CursorMotion {
    int dx, dy;        // this frame's mouse motion, in pixels
    bool move;         // whether the cursor is to be moved by (moveX, moveY)
    int moveX, moveY;  // from where it was read to the centre
};

// This frame's motion and the move that re-centres the cursor; updates the
// anchor to the window's current place and size.
CursorMotion takeCursorMotion(CursorAnchor& anchor, const CursorRead& read);
