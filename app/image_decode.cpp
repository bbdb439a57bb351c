#include "app/image_decode.h"

#include <SOIL/SOIL.h>

#include <cstdio>
#include <memory>

#include "app/png_check.h"
#include "platform/platform.h"

namespace {

// Regular files only: opening a named pipe would wait for a writer forever, and
// a device may never end.
bool readWholeFile(const char* path, std::vector<std::uint8_t>& out) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(openRegularFile(path), std::fclose);
    if (!file) return false;
    std::uint8_t buffer[65536];
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
        if (n > 0) {
            if (out.size() + n > IMAGE_MAX_FILE_BYTES) return false;
            out.insert(out.end(), buffer, buffer + n);
        }
        if (n < sizeof buffer) return !std::ferror(file.get());
    }
}

}  // namespace

DecodedImage decodeImageBytes(const std::uint8_t* bytes, std::size_t size) {
    DecodedImage image = {0, 0, {}};
    // Only well-formed PNGs of sane size reach the decoder: it trusts chunk
    // lengths, declared sizes and compressed data, and other formats it
    // accepts are not needed here.
    PngHeader header;
    if (!checkPng(bytes, size, header)) return image;
    // The decoder reads 8-bit samples only: refuse other depths whole rather
    // than let it fail half-way.
    if (header.bitDepth != 8) return image;
    const std::uint32_t declaredWidth = header.width, declaredHeight = header.height;
    if (declaredWidth > IMAGE_MAX_EDGE || declaredHeight > IMAGE_MAX_EDGE ||
        std::uint64_t{declaredWidth} * declaredHeight > IMAGE_MAX_PIXELS)
        return image;

    int width = 0, height = 0, channels = 0;
    // Four channels always: the upload reads four bytes per pixel, so grey,
    // grey-alpha and RGB files are expanded rather than over-read.
    unsigned char* pixels = SOIL_load_image_from_memory(bytes, static_cast<int>(size), &width, &height,
                                                        &channels, SOIL_LOAD_RGBA);
    if (!pixels) return image;
    if (width > 0 && height > 0 && static_cast<std::uint32_t>(width) == declaredWidth &&
        static_cast<std::uint32_t>(height) == declaredHeight) {
        image.width = width;
        image.height = height;
        image.rgba.assign(pixels, pixels + static_cast<std::size_t>(width) * height * 4);
    }
    SOIL_free_image_data(pixels);
    return image;
}

DecodedImage decodeImageFile(const char* path) {
    std::vector<std::uint8_t> bytes;
    if (!readWholeFile(path, bytes)) return {0, 0, {}};
    return decodeImageBytes(bytes.data(), bytes.size());
}
