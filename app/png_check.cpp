#include "app/png_check.h"

#include <zlib.h>

#include <cstring>
#include <vector>

namespace {

constexpr std::uint8_t SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

int channelsOf(std::uint8_t colourType) {
    switch (colourType) {
    case 0: return 1;  // grey
    case 2: return 3;  // RGB
    case 3: return 1;  // palette
    case 4: return 2;  // grey + alpha
    case 6: return 4;  // RGBA
    default: return 0;
    }
}

bool validDepth(std::uint8_t colourType, std::uint8_t depth) {
    switch (colourType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
    default: return false;
    }
}

std::uint64_t scanlineBytes(const PngHeader& h, std::uint64_t width) {
    return (width * static_cast<std::uint64_t>(channelsOf(h.colourType)) * h.bitDepth + 7) / 8;
}

// Inflates the joined image data and checks it yields exactly `expected`
// bytes, with the stream ending there.
bool inflatesTo(const std::vector<std::uint8_t>& compressed, std::uint64_t expected) {
    z_stream stream;
    std::memset(&stream, 0, sizeof stream);
    if (inflateInit(&stream) != Z_OK) return false;
    stream.next_in = const_cast<Bytef*>(compressed.data());
    stream.avail_in = static_cast<uInt>(compressed.size());
    std::uint8_t scratch[16384];
    std::uint64_t produced = 0;
    int status = Z_OK;
    while (status == Z_OK && produced <= expected) {
        stream.next_out = scratch;
        stream.avail_out = sizeof scratch;
        status = inflate(&stream, Z_NO_FLUSH);
        produced += sizeof scratch - stream.avail_out;
        if (status == Z_BUF_ERROR && stream.avail_in == 0) break;  // data ends early
    }
    inflateEnd(&stream);
    return status == Z_STREAM_END && produced == expected;
}

}  // namespace

std::uint64_t pngRawDataSize(const PngHeader& h) {
    if (!h.interlace) return static_cast<std::uint64_t>(h.height) * (1 + scanlineBytes(h, h.width));
    // Seven passes over sub-grids; an empty pass has no scanlines at all.
    static const int PASSES[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                     {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    std::uint64_t total = 0;
    for (const auto& p : PASSES) {
        const std::uint64_t w =
            h.width > static_cast<std::uint32_t>(p[0]) ? (h.width - p[0] + p[2] - 1) / p[2] : 0;
        const std::uint64_t r =
            h.height > static_cast<std::uint32_t>(p[1]) ? (h.height - p[1] + p[3] - 1) / p[3] : 0;
        if (w && r) total += r * (1 + scanlineBytes(h, w));
    }
    return total;
}

bool checkPng(const std::uint8_t* bytes, std::size_t size, PngHeader& header) {
    if (size < 8 || std::memcmp(bytes, SIGNATURE, 8) != 0) return false;
    std::vector<std::uint8_t> imageData;
    bool sawHeader = false, sawPalette = false, sawEnd = false;
    std::size_t at = 8;
    while (!sawEnd) {
        if (size - at < 12) return false;
        const std::uint32_t length = bigEndian32(bytes + at);
        if (length > size - at - 12) return false;
        const std::uint8_t* type = bytes + at + 4;
        const std::uint8_t* data = bytes + at + 8;
        const uLong crc = crc32(0L, type, 4 + length);
        if (crc != bigEndian32(data + length)) return false;
        if (!sawHeader && std::memcmp(type, "IHDR", 4) != 0) return false;

        if (std::memcmp(type, "IHDR", 4) == 0) {
            if (sawHeader || length != 13) return false;
            header = {bigEndian32(data), bigEndian32(data + 4), data[8], data[9], data[12]};
            if (header.width == 0 || header.height == 0 || header.width > 0x7FFFFFFF ||
                header.height > 0x7FFFFFFF)
                return false;
            if (!validDepth(header.colourType, header.bitDepth) || data[10] != 0 || data[11] != 0 ||
                header.interlace > 1)
                return false;
            sawHeader = true;
        } else if (std::memcmp(type, "PLTE", 4) == 0) {
            if (length == 0 || length % 3 != 0 || length > 3 * 256) return false;
            sawPalette = true;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            imageData.insert(imageData.end(), data, data + length);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            sawEnd = true;
        }
        at += 12 + length;
    }
    if (imageData.empty() || (header.colourType == 3 && !sawPalette)) return false;
    return inflatesTo(imageData, pngRawDataSize(header));
}
