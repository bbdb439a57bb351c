#include "player/cursor_anchor.h"

#include <gtest/gtest.h>

namespace {

// One played-through sequence of reads on a 1280 x 1024 screen: only frames
// where the window stayed put since the previous focused frame, its centre in
// the cursor's reach, turn the view, and by the cursor's whole offset.
TEST(CursorAnchorTest, OnlyAWindowThatStayedPutTurnsTheView) {
    CursorAnchor anchor = {false, 0, 0, 0, 0};
    struct Frame {
        bool focused;
        int left, top;
        unsigned width, height;
        int x, y;    // the cursor, in the window
        int dx, dy;  // the motion expected
        const char* what;
    };
    const Frame frames[] = {
        {true, 321, 299, 640, 480, 500, 100, 0, 0, "first frame: the cursor is wherever the desktop left it"},
        {true, 321, 299, 640, 480, 330, 235, 10, -5, "centred last frame"},
        {false, 321, 299, 640, 480, 900, 700, 0, 0, "focus away"},
        {true, 321, 299, 640, 480, 20, 400, 0, 0, "focus back: the cursor travelled meanwhile"},
        {true, 321, 299, 640, 480, 322, 243, 2, 3, "settled"},
        {true, 321, 299, 640, 700, 320, 240, 0, 0, "grown downwards only: the centre went down 110"},
        {true, 321, 299, 640, 700, 320, 351, 0, 1, "settled at the new height"},
        {true, 321, 299, 900, 700, 320, 350, 0, 0, "grown to the right only"},
        {true, 1, 20, 900, 700, 770, 630, 0, 0, "moved by the manager"},
        {true, 1, 20, 900, 700, 449, 350, -1, 0, "settled"},
        {true, 1, -400, 900, 700, 450, 750, 0, 0, "slid up, its centre off the screen"},
        {true, 1, -400, 900, 700, 450, 400, 0, 0, "still there: the cursor stopped at the screen's top"},
        {true, 1, 20, 900, 700, 450, -20, 0, 0, "slid back in"},
        {true, 1, 20, 900, 700, 453, 346, 3, -4, "settled"},
        {true, 1, 800, 900, 700, 450, -430, 0, 0, "slid down, its centre below the screen's bottom"},
        {true, 1, 800, 900, 700, 450, 223, 0, 0, "still there: the cursor stopped at the screen's bottom"},
    };
    for (const Frame& f : frames) {
        const CursorMotion m =
            takeCursorMotion(anchor, {f.focused, f.left, f.top, f.width, f.height, f.x, f.y, 1280, 1024, false});
        EXPECT_TRUE(m.dx == f.dx && m.dy == f.dy) << f.what << ": got " << m.dx << ", " << m.dy;
        EXPECT_EQ(m.move, f.focused) << f.what;  // without the focus the cursor is the desktop's
        // The move takes the cursor to the window's centre, wherever it was read.
        EXPECT_TRUE(!m.move || (f.x + m.moveX == static_cast<int>(f.width / 2) &&
                                f.y + m.moveY == static_cast<int>(f.height / 2)))
            << f.what << ": moved to " << f.x + m.moveX << ", " << f.y + m.moveY;
    }
}

// Under Xwayland a cursor outside the window is not moved: on its way to
// the title bar or past any edge it turns nothing and is left there, until it
// comes back in.
TEST(CursorAnchorTest, UnderXwaylandACursorOutsideTheWindowIsLeftAlone) {
    CursorAnchor anchor = {false, 0, 0, 0, 0};
    const auto take = [&](int x, int y) {
        return takeCursorMotion(anchor, {true, 280, 387, 640, 480, x, y, 1200, 900, true});
    };
    take(400, 300);
    CursorMotion m = take(325, 242);
    EXPECT_TRUE(m.move && m.dx == 5 && m.dy == 2) << "inside, motion as anywhere";
    const int outside[][2] = {{625, -14}, {625, -1}, {640, 240}, {320, 480}, {-1, 240}};
    for (const auto& p : outside) {
        m = take(p[0], p[1]);
        EXPECT_TRUE(!m.move && m.dx == 0 && m.dy == 0) << "outside, at " << p[0] << ", " << p[1];
    }
    m = take(639, 0);
    EXPECT_TRUE(m.move && m.dx == 0 && m.dy == 0) << "back in at the corner: taken back, no motion";
    m = take(318, 240);
    EXPECT_TRUE(m.move && m.dx == -2 && m.dy == 0) << "settled";
}

}  // namespace
