#pragma once
// What the overlay says: the frames-per-second figure, counted frame by frame,
// and the four lines (that figure and the feet position in blocks), which
// app/overlay_draw draws.

#include <cstddef>
#include <cstdint>

struct FpsCounter {
    std::int32_t frameCount;
    std::int32_t shownFps;  // what the overlay prints; 0 during the first second
};

// Called at the start of every frame with the clock's milliseconds. Returns
// true when a second has passed and the clock must be restarted.
bool countFrame(FpsCounter& counter, std::uint32_t elapsedMs);

constexpr std::size_t OVERLAY_LINE_CAPACITY = 64;
constexpr int OVERLAY_LINES = 4;
constexpr int OVERLAY_LEFT = 8;
// The lines' tops, in pixels from the window's top: 14 apart, but the last
// only 12, so that its glyph cells abut those of the line above; the game has
// always put them there. The scripts read this line (tools/game_figures.sh).
constexpr int OVERLAY_LINE_TOPS[OVERLAY_LINES] = {8, 22, 36, 48};

struct OverlayText {
    char lines[OVERLAY_LINES][OVERLAY_LINE_CAPACITY];
    int top[OVERLAY_LINES];
};
OverlayText overlayText(std::int32_t shownFps, float x, float y, float z);
