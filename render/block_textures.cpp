#include "render/block_textures.h"

BlockTexTable blockTexTable = {};
float atlasCellSize = 0.0f;

namespace {

AtlasCell unpackCell(std::uint8_t packed) {
    return {static_cast<float>(packed % 16) * 0.0625f, static_cast<float>(packed / 16) * 0.0625f};
}

}  // namespace

void setBlockTextures(BlockId kind, std::uint8_t side0, std::uint8_t side1, std::uint8_t side2,
                      std::uint8_t side3, std::uint8_t top, std::uint8_t bottom) {
    atlasCellSize = 0.0625f;
    const std::uint8_t packed[TEX_SLOTS] = {side0, side1, side2, side3, top, bottom};
    for (int slot = 0; slot < TEX_SLOTS; ++slot) blockTexTable.rows[kind][slot] = unpackCell(packed[slot]);
}

void setGameBlockTextures() {
    setBlockTextures(BLOCK_AIR, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF);
    setBlockTextures(BLOCK_DEEP, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01);
    setBlockTextures(BLOCK_SURFACE, 0x03, 0x03, 0x03, 0x03, 0x00, 0x02);
    setBlockTextures(BLOCK_SUBSURFACE, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02);
    setBlockTextures(BLOCK_FLOOR, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11);
    setBlockTextures(42, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30);
}
