#pragma once
// A tiny PNG encoder for building test images of any colour type and bit depth
// in memory, so the image decoder is tested on files made here.

#include <cstdint>
#include <string>
#include <vector>

enum PngColourType : std::uint8_t {
    PNG_GREY = 0,
    PNG_RGB = 2,
    PNG_PALETTE = 3,
    PNG_GREY_ALPHA = 4,
    PNG_RGBA = 6,
};

// `rows` holds height scanlines of packed samples, each ceil(width * channels *
// bitDepth / 8) bytes, 16-bit samples big-endian, without filter bytes. A
// non-empty `palette` (r, g, b triples) is written as a PLTE chunk.
std::vector<std::uint8_t> encodePng(std::uint32_t width, std::uint32_t height, PngColourType colourType,
                                    int bitDepth, const std::vector<std::uint8_t>& rows,
                                    const std::vector<std::uint8_t>& palette = {});

// The common case: 8-bit RGBA pixels, top row first.
std::vector<std::uint8_t> encodeRgbaPng(std::uint32_t width, std::uint32_t height,
                                        const std::vector<std::uint8_t>& rgba);

// 8-bit RGBA pixels, top row first, written in the seven interlaced passes;
// the last `missing` bytes of the passes' scanline data are left out.
std::vector<std::uint8_t> encodeInterlacedRgbaPng(std::uint32_t width, std::uint32_t height,
                                                  const std::vector<std::uint8_t>& rgba,
                                                  std::size_t missing = 0);

// Rewrites the size fields of the header chunk (with its checksum), so a file
// can declare any size without holding that many pixels.
void setPngSize(std::vector<std::uint8_t>& png, std::uint32_t width, std::uint32_t height);

// Recomputes every chunk's checksum after the bytes were edited by hand, so
// the edit itself is what a reader sees.
void repairPngChecksums(std::vector<std::uint8_t>& png);

bool writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
