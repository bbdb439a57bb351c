#pragma once
// Reads an image file into 8-bit RGBA pixels, whatever channel count the file
// has, refusing files the decoder should never be handed.

#include <cstdint>
#include <string>
#include <vector>

struct DecodedImage {
    int width;  // 0 when decoding failed
    int height;
    std::vector<std::uint8_t> rgba;  // width * height * 4 bytes, top row first
};

constexpr std::uint32_t IMAGE_MAX_EDGE = 8192;
constexpr std::uint64_t IMAGE_MAX_PIXELS = 4096u * 4096u;
constexpr std::size_t IMAGE_MAX_FILE_BYTES = 64u << 20;

DecodedImage decodeImageBytes(const std::uint8_t* bytes, std::size_t size);
DecodedImage decodeImageFile(const char* path);
