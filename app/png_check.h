#pragma once
// A structural check of a PNG file, made before the decoder sees it: the
// decoder trusts chunk lengths and compressed data, and reads past the end
// of a damaged file.

#include <cstddef>
#include <cstdint>

struct PngHeader {
    std::uint32_t width;
    std::uint32_t height;
    std::uint8_t bitDepth;
    std::uint8_t colourType;
    std::uint8_t interlace;
};

// True when every chunk lies inside the file with a matching checksum, the
// header is valid, a palette image has its palette, and the image data
// inflates to exactly the size its header implies. Fills `header` on success.
bool checkPng(const std::uint8_t* bytes, std::size_t size, PngHeader& header);

// Bytes of filtered scanline data the header implies (all interlace passes).
std::uint64_t pngRawDataSize(const PngHeader& header);
