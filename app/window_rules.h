#pragma once
// What the window's events do to the frame loop, and the view's aspect ratio,
// kept apart from the window so they can be checked without one.

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

// Whether a GL visual (or pixel format) of the screen's depth can take the
// game: OpenGL, RGBA colour and a depth buffer, which the 3D view tests against.
bool glVisualSuitsGame(bool openGl, bool rgba, int depthBits);

// Window aspect for the perspective; 4/3 rounded to single precision at 640 x 480.
float windowAspect(unsigned width, unsigned height);
