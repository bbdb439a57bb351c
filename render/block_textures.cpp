#include "render/block_textures.h"

#include "world/block_kinds.h"

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
    for (const BlockKind& k : BLOCK_KINDS)
        setBlockTextures(k.id, k.cells[0], k.cells[1], k.cells[2], k.cells[3], k.cells[4], k.cells[5]);
}
