// The block texture table: packed cells, unset rows, replacement, the game's
// rows, and which slots the mesher actually reads.

#include "render/block_textures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "render/mesher.h"
#include "tests/support/test_worlds.h"

namespace {

void expectCell(BlockId kind, int slot, float u, float v) {
    EXPECT_EQ(blockTexTable.rows[kind][slot].u, u) << "kind " << int(kind) << " slot " << slot;
    EXPECT_EQ(blockTexTable.rows[kind][slot].v, v) << "kind " << int(kind) << " slot " << slot;
}

TEST(BlockTextures, PackedCellsUnsetRowsAndReplacement) {
    setBlockTextures(201, 0xFF, 0x00, 0x5A, 0xA5, 0x0F, 0xF0);
    EXPECT_EQ(atlasCellSize, 0.0625f);
    expectCell(201, 0, 0.9375f, 0.9375f);  // the far corner of the last cell is exactly 1
    EXPECT_EQ(blockTexTable.rows[201][0].u + atlasCellSize, 1.0f);
    expectCell(201, 1, 0, 0);
    expectCell(201, 2, 0.625f, 0.3125f);  // low nibble column 10, high nibble row 5
    expectCell(201, 3, 0.3125f, 0.625f);
    expectCell(201, 4, 0.9375f, 0);
    expectCell(201, 5, 0, 0.9375f);

    // A second call replaces the whole row.
    setBlockTextures(201, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC);
    for (int slot = 0; slot < TEX_SLOTS; ++slot) {
        const int packed = 0x12 + 0x22 * slot;
        expectCell(201, slot, (packed % 16) * 0.0625f, (packed / 16) * 0.0625f);
    }

    // Rows no one sets stay zero, next to rows that were set.
    for (int slot = 0; slot < TEX_SLOTS; ++slot) {
        expectCell(200, slot, 0, 0);
        expectCell(202, slot, 0, 0);
    }
}

TEST(BlockTextures, GameRows) {
    setGameBlockTextures();
    struct Row {
        BlockId kind;
        float side[2], top[2], bottom[2];
    } rows[] = {
        {BLOCK_AIR, {0.9375f, 0.9375f}, {0.9375f, 0.9375f}, {0.9375f, 0.9375f}},
        {BLOCK_DEEP, {0.0625f, 0}, {0.0625f, 0}, {0.0625f, 0}},
        {BLOCK_SURFACE, {0.1875f, 0}, {0, 0}, {0.125f, 0}},
        {BLOCK_SUBSURFACE, {0.125f, 0}, {0.125f, 0}, {0.125f, 0}},
        {BLOCK_FLOOR, {0.0625f, 0.0625f}, {0.0625f, 0.0625f}, {0.0625f, 0.0625f}},
        {42, {0, 0.1875f}, {0, 0.1875f}, {0, 0.1875f}},
    };
    for (const Row& row : rows) {
        for (int slot = 0; slot < 4; ++slot) expectCell(row.kind, slot, row.side[0], row.side[1]);
        expectCell(row.kind, TEX_SLOT_TOP, row.top[0], row.top[1]);
        expectCell(row.kind, TEX_SLOT_BOTTOM, row.bottom[0], row.bottom[1]);
    }
}

std::vector<float> texCoordsOf(const ChunkMesh& mesh) {
    return std::vector<float>(mesh.texCoords, mesh.texCoords + mesh.texCoordCount);
}

TEST(BlockTextures, OnlySlotsZeroFourAndFiveReachTheMesh) {
    // A few cells of kind 203 with faces in every direction.
    TestWorld world = makeTestWorld(false);
    Chunk& chunk = addAirChunk(*world, 1, 1, 1);
    setWorldBlock(*world, 20, 20, 20, 203);
    setWorldBlock(*world, 21, 20, 20, 203);
    setWorldBlock(*world, 20, 21, 20, 203);

    setBlockTextures(203, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66);
    buildChunkMesh(chunk);
    const std::vector<float> before = texCoordsOf(chunk.mesh);
    ASSERT_FALSE(before.empty());

    setBlockTextures(203, 0x11, 0x99, 0xAA, 0xBB, 0x55, 0x66);
    buildChunkMesh(chunk);
    EXPECT_EQ(texCoordsOf(chunk.mesh), before);

    // Each of the three read slots does show.
    const std::uint8_t changed[3][6] = {{0x12, 0x22, 0x33, 0x44, 0x55, 0x66},
                                        {0x11, 0x22, 0x33, 0x44, 0x56, 0x66},
                                        {0x11, 0x22, 0x33, 0x44, 0x55, 0x67}};
    for (const auto& c : changed) {
        setBlockTextures(203, c[0], c[1], c[2], c[3], c[4], c[5]);
        buildChunkMesh(chunk);
        EXPECT_NE(texCoordsOf(chunk.mesh), before);
    }
}

}  // namespace
