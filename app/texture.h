#pragma once
// Block atlas and font sheet textures, loaded once at start-up.

#include <cstdint>

struct Texture {
    std::int32_t width;  // 0 if loading failed
    std::int32_t height;
    std::uint32_t glName;  // 0 if loading failed: binding it draws untextured
};

// Prints "Successfully loaded <path>" or "Failed to load <path>". Needs a
// current GL context; leaves no texture bound after a successful load.
Texture loadTexture(const char* path);
