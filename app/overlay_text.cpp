#include "app/overlay_text.h"

#include <cstdio>
#include <cstring>

#include "world/world.h"

bool countFrame(FpsCounter& counter, std::uint32_t elapsedMs) {
    bool restart = false;
    if (elapsedMs >= 1000) {
        counter.shownFps = static_cast<std::int32_t>(counter.frameCount / (elapsedMs / 1000.0));
        counter.frameCount = 0;
        restart = true;
    }
    // The frame that updates the figure is the first one of the next second.
    ++counter.frameCount;
    return restart;
}

OverlayText overlayText(std::int32_t shownFps, float x, float y, float z) {
    OverlayText text;
    std::memset(&text, 0, sizeof text);
    std::snprintf(text.lines[0], OVERLAY_LINE_CAPACITY, "FPS: %i", shownFps);
    std::snprintf(text.lines[1], OVERLAY_LINE_CAPACITY, "X: %f", static_cast<double>(x) / UNITS_PER_BLOCK);
    std::snprintf(text.lines[2], OVERLAY_LINE_CAPACITY, "Y: %f", static_cast<double>(y) / UNITS_PER_BLOCK);
    std::snprintf(text.lines[3], OVERLAY_LINE_CAPACITY, "Z: %f", static_cast<double>(z) / UNITS_PER_BLOCK);
    for (int i = 0; i < OVERLAY_LINES; ++i) text.top[i] = OVERLAY_LINE_TOPS[i];
    return text;
}
