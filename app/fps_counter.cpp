#include "app/fps_counter.h"

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
