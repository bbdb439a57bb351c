// Image decoding: every accepted PNG comes out as 8-bit RGBA, top row first;
// everything else comes out empty without the decoder reading past the data.

#include "app/image_decode.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/png_check.h"
#include "tests/support/png_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

DecodedImage decode(const Bytes& bytes) {
    // An exactly sized copy, so any read past the end lands in a redzone.
    const Bytes exact(bytes.begin(), bytes.end());
    return decodeImageBytes(exact.data(), exact.size());
}

void expectRefused(const DecodedImage& image, const std::string& what) {
    EXPECT_EQ(image.width, 0) << what;
    EXPECT_EQ(image.height, 0) << what;
    EXPECT_TRUE(image.rgba.empty()) << what;
}

// Distinct RGBA bytes for a width x height image, top row first.
Bytes testPixels(int width, int height) {
    Bytes rgba;
    for (int i = 0; i < width * height * 4; ++i) rgba.push_back(static_cast<std::uint8_t>(17 + 7 * i));
    return rgba;
}

class ImageFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vex_images_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        for (const std::string& path : files) std::remove(path.c_str());
        rmdir((dir + "/sub").c_str());
        rmdir(dir.c_str());
    }
    std::string write(const std::string& name, const Bytes& bytes) {
        const std::string path = dir + "/" + name;
        EXPECT_TRUE(writeFileBytes(path, bytes));
        files.push_back(path);
        return path;
    }
    std::string dir;
    std::vector<std::string> files;
};

TEST_F(ImageFiles, RgbaFilesDecodeTopRowFirst) {
    for (auto size : {std::make_pair(1, 1), std::make_pair(3, 2), std::make_pair(2, 5)}) {
        const Bytes pixels = testPixels(size.first, size.second);
        const std::string path =
            write("good" + std::to_string(size.first) + std::to_string(size.second) + ".png",
                  encodeRgbaPng(size.first, size.second, pixels));
        const DecodedImage image = decodeImageFile(path.c_str());
        EXPECT_EQ(image.width, size.first);
        EXPECT_EQ(image.height, size.second);
        EXPECT_EQ(image.rgba, pixels);
    }
    // The largest accepted edge.
    const DecodedImage wide = decode(encodeRgbaPng(8192, 1, testPixels(8192, 1)));
    EXPECT_EQ(wide.width, 8192);
    EXPECT_EQ(wide.rgba, testPixels(8192, 1));
}

TEST_F(ImageFiles, MissingDirectoryAndEmptyFilesAreRefused) {
    expectRefused(decodeImageFile((dir + "/absent.png").c_str()), "missing");
    mkdir((dir + "/sub").c_str(), 0700);
    expectRefused(decodeImageFile((dir + "/sub").c_str()), "directory");
    expectRefused(decodeImageFile(write("empty.png", {}).c_str()), "empty");
    const Bytes text = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e', '\n'};
    expectRefused(decodeImageFile(write("text.png", text).c_str()), "text");
}

TEST(ImageDecode, FewerChannelsAreExpandedToRgba) {
    struct Case {
        const char* what;
        Bytes png;
        Bytes rgba;
    } cases[] = {
        {"grey", encodePng(2, 1, PNG_GREY, 8, {0x10, 0xF0}), {0x10, 0x10, 0x10, 255, 0xF0, 0xF0, 0xF0, 255}},
        {"grey+alpha",
         encodePng(2, 1, PNG_GREY_ALPHA, 8, {0x10, 0x80, 0xF0, 0x20}),
         {0x10, 0x10, 0x10, 0x80, 0xF0, 0xF0, 0xF0, 0x20}},
        {"rgb", encodePng(2, 1, PNG_RGB, 8, {1, 2, 3, 4, 5, 6}), {1, 2, 3, 255, 4, 5, 6, 255}},
        {"palette",
         encodePng(2, 1, PNG_PALETTE, 8, {1, 0}, {9, 8, 7, 1, 2, 3}),
         {1, 2, 3, 255, 9, 8, 7, 255}},
        // Two rows of grey, so a row stride of anything but the file's own shows.
        {"grey rows",
         encodePng(1, 2, PNG_GREY, 8, {0x40, 0xC0}),
         {0x40, 0x40, 0x40, 255, 0xC0, 0xC0, 0xC0, 255}},
    };
    for (const Case& c : cases) {
        const DecodedImage image = decode(c.png);
        EXPECT_EQ(image.width * image.height * 4, static_cast<int>(c.rgba.size())) << c.what;
        EXPECT_EQ(image.rgba, c.rgba) << c.what;
    }
}

TEST(ImageDecode, SamplesOtherThanEightBitsAreRefusedWhole) {
    // The decoder reads 8-bit samples only; 16-bit and packed 1-, 2- and
    // 4-bit files are refused before it sees them, never half-read.
    expectRefused(decode(encodePng(1, 1, PNG_RGBA, 16, {0x11, 0x11, 0x22, 0x22, 0x33, 0x33, 0x44, 0x44})),
                  "16-bit RGBA");
    expectRefused(decode(encodePng(2, 1, PNG_GREY, 16, {0x80, 0x80, 0xFF, 0xFF})), "16-bit grey");
    expectRefused(decode(encodePng(8, 1, PNG_GREY, 1, {0xA5})), "1-bit grey");
    expectRefused(decode(encodePng(2, 1, PNG_PALETTE, 4, {0x01}, {0, 0, 0, 255, 255, 255})), "4-bit palette");
    // The same pixels as 8-bit samples load.
    EXPECT_EQ(decode(encodePng(2, 1, PNG_GREY, 8, {0x80, 0xFF})).rgba,
              (Bytes{0x80, 0x80, 0x80, 255, 0xFF, 0xFF, 0xFF, 255}));
}

TEST(ImageDecode, BadSignaturesHeadersAndDimensionsAreRefused) {
    const Bytes good = encodeRgbaPng(2, 2, testPixels(2, 2));
    ASSERT_EQ(decode(good).width, 2);

    Bytes signature = good;
    signature[1] = 'Q';
    expectRefused(decode(signature), "wrong signature");
    Bytes header = good;
    header[13] = 'X';  // IHDR renamed, checksum made to match
    repairPngChecksums(header);
    expectRefused(decode(header), "no header chunk");
    Bytes checksum = good;
    checksum[good.size() - 12 - 1] ^= 0x01;  // the image chunk's checksum, left wrong
    expectRefused(decode(checksum), "one checksum byte flipped");
    const Bytes bitmap = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  40,
                          0,   0,   0,  1, 0, 0, 0, 1, 0, 0, 0,  1, 0, 32, 0};
    expectRefused(decode(bitmap), "another image format");

    struct Size {
        std::uint32_t width, height;
    } sizes[] = {{0, 2},    {2, 0},           {0, 0},           {8193, 1},
                 {1, 8193}, {100000, 100000}, {0xFFFFFFFFu, 1}, {1, 0x80000000u}};
    for (const Size& s : sizes) {
        Bytes declared = good;  // a small valid body under a header declaring the size
        setPngSize(declared, s.width, s.height);
        expectRefused(decode(declared), std::to_string(s.width) + " x " + std::to_string(s.height));
    }
}

TEST_F(ImageFiles, TruncatedFilesAreRefused) {
    const Bytes good = encodeRgbaPng(4, 3, testPixels(4, 3));
    const std::size_t idat = 8 + 25 + 8;        // signature, header chunk, image chunk's length and type
    const std::size_t iend = good.size() - 12;  // the end chunk
    // Inside the signature, the header, the image chunk's header and data, and the end chunk.
    const std::size_t cuts[] = {1,
                                7,
                                8,
                                20,
                                28,
                                32,
                                33,
                                idat - 4,
                                idat,
                                idat + 1,
                                (idat + iend) / 2,
                                iend - 5,
                                iend,
                                good.size() - 1};
    for (std::size_t cut : cuts) {
        ASSERT_LT(cut, good.size());
        const Bytes part(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
        expectRefused(decode(part), "cut at " + std::to_string(cut));
    }
    const Bytes half(good.begin(), good.begin() + static_cast<std::ptrdiff_t>((idat + iend) / 2));
    expectRefused(decodeImageFile(write("half.png", half).c_str()), "truncated file");
}

// Interlaced sizes that leave passes empty or part-filled, and passes a byte
// short. Files never decoded, well formed or not: an image over the edge limit,
// and what is not a regular file (a pipe holding an image, a device), unread.
TEST_F(ImageFiles, InterlacedTallAndNonRegularFilesAreJudgedBeforeDecoding) {
    const Bytes good = encodeRgbaPng(2, 2, testPixels(2, 2)),
                tall = encodeRgbaPng(1, 8193, testPixels(1, 8193));
    const std::string pipe = dir + "/pipe.png";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    files.push_back(pipe);
    const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);  // keeps the written bytes in the pipe
    const int writer = open(pipe.c_str(), O_WRONLY);
    ASSERT_EQ(::write(writer, good.data(), good.size()), static_cast<ssize_t>(good.size()));
    close(writer);
    const struct {
        std::string what;
        Bytes png;
        std::string path;     // where given, decoding this file must give nothing
        std::uint32_t width;  // as the structural check reads it, 0 when it refuses the bytes
    } cases[] = {
        {"interlaced 1 x 1", encodeInterlacedRgbaPng(1, 1, testPixels(1, 1)), "", 1},
        {"interlaced 3 x 5", encodeInterlacedRgbaPng(3, 5, testPixels(3, 5)), "", 3},
        {"interlaced 9 x 17", encodeInterlacedRgbaPng(9, 17, testPixels(9, 17)), "", 9},
        {"interlaced, a byte short", encodeInterlacedRgbaPng(3, 5, testPixels(3, 5), 1), "", 0},
        {"1 x 8193", tall, write("tall.png", tall), 1},
        {"a pipe holding an image", good, pipe, 2},
        {"a device", {}, "/dev/zero", 0},
    };
    for (const auto& c : cases) {
        PngHeader header = {};
        EXPECT_EQ(checkPng(c.png.data(), c.png.size(), header) ? header.width : 0, c.width) << c.what;
        if (!c.path.empty()) expectRefused(decodeImageFile(c.path.c_str()), c.what);
    }
    Bytes left(good.size() + 1);
    EXPECT_EQ(read(reader, left.data(), left.size()), static_cast<ssize_t>(good.size()))
        << "the pipe was read";
    close(reader);
}

}  // namespace
