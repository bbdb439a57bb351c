#pragma once
// The four overlay lines: frames per second and the feet position in blocks.
// app/overlay_draw draws them.

#include <cstddef>
#include <cstdint>

constexpr std::size_t OVERLAY_LINE_CAPACITY = 64;
constexpr int OVERLAY_LINES = 4;
constexpr int OVERLAY_LEFT = 8;

struct OverlayText {
    char lines[OVERLAY_LINES][OVERLAY_LINE_CAPACITY];
    int top[OVERLAY_LINES];
};
OverlayText overlayText(std::int32_t shownFps, float x, float y, float z);
