// Feeds arbitrary bytes to the image loading path: whatever the file holds,
// decoding must end with either nothing or a whole RGBA image of sane size.
// Each input is tried as it is and with its chunk checksums repaired, so that
// mutated data gets past the checksum test and reaches the deeper checks and
// the decoder itself.

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/image_decode.h"

namespace {

void checkDecodes(const std::uint8_t* data, std::size_t size) {
    const DecodedImage image = decodeImageBytes(data, size);
    if (image.width == 0) {
        if (image.height != 0 || !image.rgba.empty()) std::abort();
        return;
    }
    const auto width = static_cast<std::uint64_t>(image.width),
               height = static_cast<std::uint64_t>(image.height);
    const bool sane = image.width >= 1 && width <= IMAGE_MAX_EDGE && image.height >= 1 &&
                      height <= IMAGE_MAX_EDGE && image.rgba.size() == width * height * 4;
    if (!sane) std::abort();
}

std::vector<std::uint8_t> withRepairedChecksums(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> bytes(data, data + size);
    std::size_t at = 8;
    while (at + 12 <= bytes.size()) {
        const std::uint32_t length = (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
                                     (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
        if (length > bytes.size() - at - 12) break;
        const uLong crc = crc32(0L, &bytes[at + 4], 4 + length);
        for (int i = 0; i < 4; ++i)
            bytes[at + 8 + length + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
        at += 12 + length;
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    checkDecodes(data, size);
    const std::vector<std::uint8_t> repaired = withRepairedChecksums(data, size);
    checkDecodes(repaired.data(), repaired.size());
    return 0;
}
