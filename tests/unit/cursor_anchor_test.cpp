#include "player/cursor_anchor.h"

#include <gtest/gtest.h>

namespace {

// One played-through sequence of what the window manager does to the window,
// frame by frame; only frames where the window stayed put since the previous
// focused frame may turn the view.
TEST(CursorAnchorTest, OnlyAWindowThatStayedPutTurnsTheView) {
    CursorAnchor anchor = {false, 0, 0, 0, 0};
    struct Frame {
        bool focused;
        int left, top;
        unsigned width, height;
        bool motion;
        const char* what;
    };
    const Frame frames[] = {
        {true, 321, 299, 640, 480, false, "first frame: the cursor is wherever the desktop left it"},
        {true, 321, 299, 640, 480, true, "centred last frame"},
        {true, 321, 299, 640, 480, true, "still put"},
        {false, 321, 299, 640, 480, false, "focus away"},
        {false, 321, 299, 640, 480, false, "still away"},
        {true, 321, 299, 640, 480, false, "focus back: the cursor travelled meanwhile"},
        {true, 321, 299, 640, 480, true, "settled"},
        {true, 1, 20, 640, 480, false, "moved by the manager before the new size arrives"},
        {true, 1, 20, 1280, 1005, false, "resized in place"},
        {true, 1, 20, 1280, 1005, true, "maximised and settled"},
        {true, 300, 280, 1280, 1005, false, "an animation step moves it"},
        {true, 321, 299, 1280, 1005, false, "and again"},
        {true, 321, 299, 1280, 1005, true, "settled"},
    };
    for (const Frame& f : frames)
        EXPECT_EQ(takeCursorMotion(anchor, f.focused, f.left, f.top, f.width, f.height), f.motion) << f.what;
}

}  // namespace
