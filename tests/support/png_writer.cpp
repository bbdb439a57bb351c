#include "tests/support/png_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>

namespace {

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void putChunk(std::vector<std::uint8_t>& out, const char type[4], const std::vector<std::uint8_t>& data) {
    put32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    // The CRC covers the type and the data.
    const uLong crc = crc32(0L, out.data() + typeAt, static_cast<uInt>(out.size() - typeAt));
    put32(out, static_cast<std::uint32_t>(crc));
}

int channelsOf(PngColourType type) {
    switch (type) {
    case PNG_GREY: return 1;
    case PNG_GREY_ALPHA: return 2;
    case PNG_RGB: return 3;
    case PNG_RGBA: return 4;
    case PNG_PALETTE: return 1;
    }
    return 1;
}

std::vector<std::uint8_t> pngFile(std::uint32_t width, std::uint32_t height, PngColourType colourType,
                                  int bitDepth, bool interlaced, const std::vector<std::uint8_t>& raw,
                                  const std::vector<std::uint8_t>& palette) {
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

    std::vector<std::uint8_t> header;
    put32(header, width);
    put32(header, height);
    header.push_back(static_cast<std::uint8_t>(bitDepth));
    header.push_back(colourType);
    header.push_back(0);  // deflate
    header.push_back(0);  // adaptive filtering
    header.push_back(interlaced ? 1 : 0);
    putChunk(png, "IHDR", header);
    if (!palette.empty()) putChunk(png, "PLTE", palette);

    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> packed(packedSize);
    compress(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()));
    packed.resize(packedSize);
    putChunk(png, "IDAT", packed);
    putChunk(png, "IEND", {});
    return png;
}

}  // namespace

std::vector<std::uint8_t> encodePng(std::uint32_t width, std::uint32_t height, PngColourType colourType,
                                    int bitDepth, const std::vector<std::uint8_t>& rows,
                                    const std::vector<std::uint8_t>& palette) {
    // Every scanline gets filter type 0 (none) in front of its samples.
    const std::size_t rowBytes = (std::size_t{width} * channelsOf(colourType) * bitDepth + 7) / 8;
    std::vector<std::uint8_t> raw;
    for (std::uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);
        for (std::size_t b = 0; b < rowBytes; ++b) {
            const std::size_t at = y * rowBytes + b;
            raw.push_back(at < rows.size() ? rows[at] : 0);
        }
    }
    return pngFile(width, height, colourType, bitDepth, false, raw, palette);
}

std::vector<std::uint8_t> encodeInterlacedRgbaPng(std::uint32_t width, std::uint32_t height,
                                                  const std::vector<std::uint8_t>& rgba,
                                                  std::size_t missing) {
    // Each pixel's pass by its place in an 8 x 8 tile; a scanline is a pass's pixels of one row.
    static const char PASS_OF[8][9] = {"16462646", "77777777", "56565656", "77777777",
                                       "36463646", "77777777", "56565656", "77777777"};
    std::vector<std::uint8_t> raw;
    for (char pass = '1'; pass <= '7'; ++pass)
        for (std::uint32_t y = 0; y < height; ++y)
            for (std::uint32_t x = 0, inRow = 0; x < width; ++x) {
                if (PASS_OF[y % 8][x % 8] != pass) continue;
                if (inRow++ == 0) raw.push_back(0);  // filter type 0 (none)
                const auto pixel = rgba.begin() + 4 * (std::size_t{y} * width + x);
                raw.insert(raw.end(), pixel, pixel + 4);
            }
    raw.resize(raw.size() - missing);
    return pngFile(width, height, PNG_RGBA, 8, true, raw, {});
}

std::vector<std::uint8_t> encodeRgbaPng(std::uint32_t width, std::uint32_t height,
                                        const std::vector<std::uint8_t>& rgba) {
    return encodePng(width, height, PNG_RGBA, 8, rgba);
}

void setPngSize(std::vector<std::uint8_t>& png, std::uint32_t width, std::uint32_t height) {
    std::vector<std::uint8_t> size;
    put32(size, width);
    put32(size, height);
    std::copy(size.begin(), size.end(), png.begin() + 16);  // after signature, length and type
    repairPngChecksums(png);
}

void repairPngChecksums(std::vector<std::uint8_t>& png) {
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::size_t length = std::size_t{png[at]} << 24 | std::size_t{png[at + 1]} << 16 |
                                   std::size_t{png[at + 2]} << 8 | png[at + 3];
        if (length > png.size() - at - 12) return;
        const uLong crc = crc32(0L, png.data() + at + 4, static_cast<uInt>(4 + length));
        std::vector<std::uint8_t> field;
        put32(field, static_cast<std::uint32_t>(crc));
        std::copy(field.begin(), field.end(), png.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
        at += 12 + length;
    }
}

bool writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
