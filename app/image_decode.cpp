#include "app/image_decode.h"

#include <SOIL/SOIL.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

bool readWholeFile(const char* path, std::vector<std::uint8_t>& out) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path, "rb"), std::fclose);
    if (!file) return false;
    std::uint8_t buffer[65536];
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
        if (n > 0) {
            if (out.size() + n > IMAGE_MAX_FILE_BYTES) return false;
            out.insert(out.end(), buffer, buffer + n);
        }
        if (n < sizeof buffer) return !std::ferror(file.get());  // a directory fails here
    }
}

}  // namespace

bool pngDimensions(const std::uint8_t* bytes, std::size_t size, std::uint32_t& width, std::uint32_t& height) {
    static const std::uint8_t SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    // Signature, then the IHDR chunk: length 13, type, width, height.
    if (size < 8 + 8 + 13 || std::memcmp(bytes, SIGNATURE, 8) != 0) return false;
    if (bigEndian32(bytes + 8) != 13 || std::memcmp(bytes + 12, "IHDR", 4) != 0) return false;
    width = bigEndian32(bytes + 16);
    height = bigEndian32(bytes + 20);
    return true;
}

DecodedImage decodeImageBytes(const std::uint8_t* bytes, std::size_t size) {
    DecodedImage image = {0, 0, {}};
    // Only PNGs of sane size reach the decoder: its own checks of declared sizes
    // and other formats are not to be trusted with arbitrary files.
    std::uint32_t declaredWidth, declaredHeight;
    if (!pngDimensions(bytes, size, declaredWidth, declaredHeight)) return image;
    if (declaredWidth < 1 || declaredHeight < 1 || declaredWidth > IMAGE_MAX_EDGE || declaredHeight > IMAGE_MAX_EDGE)
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
