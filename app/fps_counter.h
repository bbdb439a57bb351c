#pragma once
// The frames-per-second figure the overlay shows, counted frame by frame.

#include <cstdint>

struct FpsCounter {
    std::int32_t frameCount;
    std::int32_t shownFps;  // what the overlay prints; 0 during the first second
};

// Called at the start of every frame with the clock's milliseconds. Returns
// true when a second has passed and the clock must be restarted.
bool countFrame(FpsCounter& counter, std::uint32_t elapsedMs);
