#pragma once
// A GL context that draws into memory, for the tests that need real GL
// without a display.

#include <GL/osmesa.h>

#include <cstdint>
#include <vector>

struct OffscreenContext {
    OSMesaContext context = nullptr;
    std::vector<std::uint8_t> pixels;  // RGBA, bottom row first

    // Makes a width x height RGBA context with a 24-bit depth buffer
    // current; false when it cannot.
    bool open(int width, int height) {
        context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
        if (!context) return false;
        pixels.assign(static_cast<std::size_t>(width) * height * 4, 0);
        return OSMesaMakeCurrent(context, pixels.data(), GL_UNSIGNED_BYTE, width, height);
    }
    ~OffscreenContext() {
        if (context) OSMesaDestroyContext(context);
    }
};
