#include "app/window_rules.h"

void applyWindowEvent(LoopState& state, const WindowEvent& event) {
    switch (event.kind) {
    case WINDOW_EVENT_CLOSED: state.open = false; break;
    case WINDOW_EVENT_KEY_PRESSED:
        if (event.keyIsEscape) state.open = false;
        break;
    case WINDOW_EVENT_LOST_FOCUS: state.focused = false; break;
    case WINDOW_EVENT_GAINED_FOCUS: state.focused = true; break;
    case WINDOW_EVENT_RESIZED:
        // A minimised window may report zero; keep the last usable size.
        if (event.width > 0 && event.height > 0) {
            state.width = event.width;
            state.height = event.height;
            state.resized = true;
        }
        break;
    case WINDOW_EVENT_OTHER: break;
    }
}

bool glVisualSuitsGame(bool openGl, bool rgba, int depthBits) { return openGl && rgba && depthBits > 0; }

float windowAspect(unsigned width, unsigned height) {
    return static_cast<float>(width) / static_cast<float>(height);
}
