// Writes the seed files for the image fuzzer and the bad-image end-to-end
// runs: good images of every colour type and bit depth, and broken ones.
// Usage: make_image_seeds DIR

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/png_writer.h"

namespace {

std::vector<std::uint8_t> pattern(std::size_t bytes) {
    std::vector<std::uint8_t> out(bytes);
    for (std::size_t i = 0; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(i * 37 + 11);
    return out;
}

std::vector<std::uint8_t> image(std::uint32_t w, std::uint32_t h, PngColourType type, int depth,
                                int channels) {
    const std::size_t rowBytes = (static_cast<std::size_t>(w) * channels * depth + 7) / 8;
    std::vector<std::uint8_t> palette;
    if (type == PNG_PALETTE) palette = pattern(3 * 16);
    return encodePng(w, h, type, depth, pattern(rowBytes * h), palette);
}

// Sets the declared width and height of a PNG's header (the CRC then no
// longer matches, as in a damaged file).
std::vector<std::uint8_t> withDimensions(std::vector<std::uint8_t> png, std::uint32_t w, std::uint32_t h) {
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = static_cast<std::uint8_t>(w >> (24 - 8 * i));
        png[20 + i] = static_cast<std::uint8_t>(h >> (24 - 8 * i));
    }
    return png;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_image_seeds DIR\n");
        return 1;
    }
    const std::string dir = argv[1];
    const std::vector<std::uint8_t> good = image(16, 16, PNG_RGBA, 8, 4);
    struct Seed {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Seed> seeds = {
        {"rgba8.png", good},
        {"rgba16.png", image(5, 3, PNG_RGBA, 16, 4)},
        {"rgb8.png", image(7, 5, PNG_RGB, 8, 3)},
        {"grey1.png", image(9, 4, PNG_GREY, 1, 1)},
        {"grey8.png", image(8, 8, PNG_GREY, 8, 1)},
        {"grey16.png", image(3, 3, PNG_GREY, 16, 1)},
        {"grey_alpha8.png", image(6, 2, PNG_GREY_ALPHA, 8, 2)},
        {"palette4.png", image(10, 3, PNG_PALETTE, 4, 1)},
        {"one_pixel.png", image(1, 1, PNG_RGBA, 8, 4)},
        {"non_square.png", image(32, 2, PNG_RGBA, 8, 4)},
        {"empty.png", {}},
        {"signature_only.png", std::vector<std::uint8_t>(good.begin(), good.begin() + 8)},
        {"header_only.png", std::vector<std::uint8_t>(good.begin(), good.begin() + 33)},
        {"truncated_data.png", std::vector<std::uint8_t>(good.begin(), good.begin() + good.size() / 2)},
        {"no_end.png", std::vector<std::uint8_t>(good.begin(), good.end() - 12)},
        {"zero_size.png", withDimensions(good, 0, 0)},
        {"huge_size.png", withDimensions(good, 0x7FFFFFFF, 0x7FFFFFFF)},
        {"wide.png", withDimensions(good, 1u << 20, 1)},
        {"too_small_for_data.png", withDimensions(good, 64, 64)},
        {"not_a_png.png", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0}},
    };
    std::vector<std::uint8_t> wrongSignature = good;
    wrongSignature[1] = 'Q';
    seeds.push_back({"wrong_signature.png", wrongSignature});
    // Headers that lie about the size with their checksums intact, so only the
    // size itself (or the image data that cannot fill it) gives them away.
    std::vector<std::uint8_t> zeroSize = good;
    setPngSize(zeroSize, 0, 0);
    seeds.push_back({"zero_size_valid_crc.png", zeroSize});
    std::vector<std::uint8_t> hugeSize = good;
    setPngSize(hugeSize, 100000, 100000);
    seeds.push_back({"huge_size_valid_crc.png", hugeSize});
    seeds.push_back({"truncated_header.png", std::vector<std::uint8_t>(good.begin(), good.begin() + 20)});

    for (const Seed& seed : seeds) {
        if (!writeFileBytes(dir + "/" + seed.name, seed.bytes)) {
            std::fprintf(stderr, "make_image_seeds: cannot write %s/%s\n", dir.c_str(), seed.name);
            return 1;
        }
    }
    return 0;
}
