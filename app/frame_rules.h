#pragma once
// The frame loop's bookkeeping, kept apart from the window so it can be checked
// frame by frame.

#include <cstddef>
#include <cstdint>

struct FpsCounter {
    std::int32_t frameCount;
    std::int32_t shownFps;  // what the overlay prints; 0 during the first second
};

// Called at the start of every frame with the clock's milliseconds. Returns
// true when a second has passed and the clock must be restarted.
bool countFrame(FpsCounter& counter, std::uint32_t elapsedMs);

enum WindowEventKind {
    WINDOW_EVENT_CLOSED,
    WINDOW_EVENT_RESIZED,
    WINDOW_EVENT_LOST_FOCUS,
    WINDOW_EVENT_GAINED_FOCUS,
    WINDOW_EVENT_KEY_PRESSED,
    WINDOW_EVENT_OTHER,
};

struct WindowEvent {
    WindowEventKind kind;
    bool keyIsEscape;        // for key presses; modifiers are not looked at
    unsigned width, height;  // for resizes
};

struct LoopState {
    bool open;
    bool focused;
    unsigned width, height;  // current drawable size
    bool resized;            // viewport and projection need to follow
};

void applyWindowEvent(LoopState& state, const WindowEvent& event);

// The four overlay lines: frames per second and the feet position in blocks.
constexpr std::size_t OVERLAY_LINE_CAPACITY = 64;
constexpr int OVERLAY_LINES = 4;
struct OverlayText {
    char lines[OVERLAY_LINES][OVERLAY_LINE_CAPACITY];
    int top[OVERLAY_LINES];
};
OverlayText overlayText(std::int32_t shownFps, float x, float y, float z);
constexpr int OVERLAY_LEFT = 8;

// Window aspect for the perspective; 4/3 rounded to single precision at 640 x 480.
float windowAspect(unsigned width, unsigned height);
