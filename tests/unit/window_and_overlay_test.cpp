#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>

#include "app/overlay_text.h"
#include "app/text_layout.h"
#include "app/window_rules.h"

namespace {

TEST(FpsCounterTest, ShowsZeroThroughTheFirstSecond) {
    FpsCounter fps = {0, 0};
    for (std::uint32_t ms = 0; ms < 1000; ms += 16) {
        EXPECT_FALSE(countFrame(fps, ms)) << ms;
        EXPECT_EQ(fps.shownFps, 0) << ms;
    }
}

TEST(FpsCounterTest, SixtyOneFramesOverAbout1016MsShowSixty) {
    FpsCounter fps = {0, 0};
    for (int frame = 0; frame < 61; ++frame)
        ASSERT_FALSE(countFrame(fps, static_cast<std::uint32_t>(frame * 16)));
    // 61 / 1.016 = 60.04: truncated, not rounded, and not 61.
    EXPECT_TRUE(countFrame(fps, 1016));
    EXPECT_EQ(fps.shownFps, 60);
    // The frame that updated the figure is the first of the next second.
    EXPECT_EQ(fps.frameCount, 1);

    // After the clock restarts: 59 more frames, then exactly 1000 ms updates again.
    for (int frame = 1; frame < 60; ++frame)
        ASSERT_FALSE(countFrame(fps, static_cast<std::uint32_t>(frame * 16)));
    EXPECT_FALSE(countFrame(fps, 999));
    EXPECT_EQ(fps.shownFps, 60);
    EXPECT_TRUE(countFrame(fps, 1000));
    EXPECT_EQ(fps.shownFps, 61);  // 61 frames counted since the restart, over 1.000 s
}

TEST(FpsCounterTest, LongStallDividesByTheRealElapsedTime) {
    FpsCounter fps = {0, 0};
    for (int frame = 0; frame < 10; ++frame) countFrame(fps, 0);
    EXPECT_TRUE(countFrame(fps, 4000));
    EXPECT_EQ(fps.shownFps, 2);  // 10 frames over 4 s = 2.5, truncated
}

LoopState startState() { return {true, true, 640, 480, false}; }

TEST(WindowEventTest, CloseButtonAndEscapeCloseOtherKeysDoNot) {
    LoopState state = startState();
    applyWindowEvent(state, {WINDOW_EVENT_KEY_PRESSED, false, 0, 0});
    applyWindowEvent(state, {WINDOW_EVENT_OTHER, false, 0, 0});
    EXPECT_TRUE(state.open);
    applyWindowEvent(state, {WINDOW_EVENT_KEY_PRESSED, true, 0, 0});
    EXPECT_FALSE(state.open);

    state = startState();
    applyWindowEvent(state, {WINDOW_EVENT_CLOSED, false, 0, 0});
    EXPECT_FALSE(state.open);
    // Nothing reopens a closed window.
    applyWindowEvent(state, {WINDOW_EVENT_GAINED_FOCUS, false, 0, 0});
    EXPECT_FALSE(state.open);
}

TEST(WindowEventTest, FocusFollowsLostAndGainedAndNothingElse) {
    LoopState state = startState();
    applyWindowEvent(state, {WINDOW_EVENT_LOST_FOCUS, false, 0, 0});
    EXPECT_FALSE(state.focused);
    EXPECT_TRUE(state.open);
    applyWindowEvent(state, {WINDOW_EVENT_KEY_PRESSED, false, 0, 0});
    applyWindowEvent(state, {WINDOW_EVENT_RESIZED, false, 800, 600});
    EXPECT_FALSE(state.focused);
    applyWindowEvent(state, {WINDOW_EVENT_GAINED_FOCUS, false, 0, 0});
    EXPECT_TRUE(state.focused);
}

TEST(WindowEventTest, ResizeFollowsTheWindowButIgnoresZeroSizes) {
    LoopState state = startState();
    applyWindowEvent(state, {WINDOW_EVENT_RESIZED, false, 800, 600});
    EXPECT_EQ(state.width, 800u);
    EXPECT_EQ(state.height, 600u);
    EXPECT_TRUE(state.resized);

    state.resized = false;
    applyWindowEvent(state, {WINDOW_EVENT_RESIZED, false, 0, 600});
    applyWindowEvent(state, {WINDOW_EVENT_RESIZED, false, 1024, 0});
    EXPECT_EQ(state.width, 800u);
    EXPECT_EQ(state.height, 600u);
    EXPECT_FALSE(state.resized);
    EXPECT_TRUE(state.open);
}

TEST(GlVisualTest, TakesOnlyOpenGlRgbaWithADepthBuffer) {
    EXPECT_TRUE(glVisualSuitsGame(true, true, 24));
    EXPECT_TRUE(glVisualSuitsGame(true, true, 16));
    EXPECT_FALSE(glVisualSuitsGame(true, true, 0)) << "no depth buffer: the 3D view would not test depth";
    EXPECT_FALSE(glVisualSuitsGame(false, true, 24));
    EXPECT_FALSE(glVisualSuitsGame(true, false, 24));
}

TEST(WindowAspectTest, FollowsTheWindowInSinglePrecision) {
    EXPECT_EQ(static_cast<double>(windowAspect(640, 480)), 1.3333333730697632);
    EXPECT_EQ(windowAspect(800, 600), windowAspect(640, 480));
    EXPECT_EQ(windowAspect(1280, 480), 8.0f / 3.0f);
    EXPECT_EQ(windowAspect(480, 640), 0.75f);
}

TEST(OverlayTextTest, StartPositionReadsInBlocks) {
    const OverlayText text = overlayText(0, 4096.0f, 2048.0f, 4096.0f);
    EXPECT_STREQ(text.lines[0], "FPS: 0");
    EXPECT_STREQ(text.lines[1], "X: 256.000000");
    EXPECT_STREQ(text.lines[2], "Y: 128.000000");
    EXPECT_STREQ(text.lines[3], "Z: 256.000000");
    // Top to bottom from the window's margin, no line over the next (the
    // exact rows are checked on the window's pixels end to end).
    EXPECT_EQ(text.top[0], 8);
    for (int i = 1; i < OVERLAY_LINES; ++i) EXPECT_GE(text.top[i], text.top[i - 1] + GLYPH_HEIGHT) << i;

    const OverlayText other = overlayText(59, 4097.0f, -8.0f, 1.0f);
    EXPECT_STREQ(other.lines[0], "FPS: 59");
    EXPECT_STREQ(other.lines[1], "X: 256.062500");
    EXPECT_STREQ(other.lines[2], "Y: -0.500000");
    EXPECT_STREQ(other.lines[3], "Z: 0.062500");
}

TEST(OverlayTextTest, ExtremePositionsStillFitTheLine) {
    // A player who has fallen for ever, or whose position went NaN, must not
    // overrun the line buffer.
    const float values[] = {FLT_MAX, -FLT_MAX, std::nanf(""), -INFINITY};
    for (float v : values) {
        const OverlayText text = overlayText(INT32_MIN, v, v, v);
        for (int i = 0; i < OVERLAY_LINES; ++i) {
            const char* line = text.lines[i];
            const std::size_t length = strnlen(line, OVERLAY_LINE_CAPACITY);
            EXPECT_LT(length, OVERLAY_LINE_CAPACITY) << v << " line " << i;
            EXPECT_GT(length, 3u) << v << " line " << i;
        }
        EXPECT_EQ(std::string(text.lines[1], 3), "X: ");
        EXPECT_EQ(std::string(text.lines[3], 3), "Z: ");
    }
    // The largest float is 2^128 - 2^104; a sixteenth of it is printed in full.
    const OverlayText huge = overlayText(0, -FLT_MAX, 0.0f, 0.0f);
    EXPECT_STREQ(huge.lines[1], "X: -21267646664908053738231511467782307840.000000");
    const OverlayText nan = overlayText(0, std::nanf(""), 0.0f, 0.0f);
    EXPECT_NE(std::string(nan.lines[1]).find("nan"), std::string::npos);
}

}  // namespace
