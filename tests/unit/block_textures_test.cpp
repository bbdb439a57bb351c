// The block texture table: packed cells, unset rows, replacement, the game's
// rows against the atlas, each kind with cells of its own, and which slots the mesher actually reads.

#include "render/block_textures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app/image_decode.h"
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

// What the atlas that the build draws shows in a band of pixel rows [y0, y1)
// of a cell: the material the cell is painted with, told apart by colour.
std::string material(const DecodedImage& atlas, AtlasCell cell, int y0 = 0, int y1 = 16) {
    const int left = static_cast<int>(cell.u * 256), top = static_cast<int>(cell.v * 256);
    double sum[3] = {0, 0, 0};
    std::set<std::uint32_t> colours;
    for (int y = top + y0; y < top + y1; ++y)
        for (int x = left; x < left + 16; ++x) {
            const std::uint8_t* p = &atlas.rgba[(static_cast<std::size_t>(y) * 256 + x) * 4];
            for (int c = 0; c < 3; ++c) sum[c] += p[c];
            colours.insert(p[0] << 16 | p[1] << 8 | p[2]);
        }
    const double n = 16.0 * (y1 - y0), r = sum[0] / n, g = sum[1] / n, b = sum[2] / n;
    if (g > r + 20 && g > b + 20) return "grass";
    if (r > g + 45) return "brick";
    if (r > g + 15 && g > b + 15) return "earth";
    if (colours.size() <= 2) return r > 200 ? "light" : "filler";
    return r < 80 ? "bedrock" : "stone";
}

TEST(BlockTextures, GameRowsShowTheirMaterialsInTheGeneratedAtlas) {
    const DecodedImage atlas = decodeImageFile(VEX_GAME_DIR "/texture.png");
    ASSERT_EQ(atlas.width, 256);
    ASSERT_EQ(atlas.height, 256);
    setGameBlockTextures();
    auto shows = [&](BlockId kind, int slot, int y0 = 0, int y1 = 16) {
        return material(atlas, blockTexTable.rows[kind][slot], y0, y1);
    };
    for (int slot = 0; slot < TEX_SLOTS; ++slot) {
        EXPECT_EQ(shows(BLOCK_DEEP, slot), "stone") << slot;
        EXPECT_EQ(shows(BLOCK_SUBSURFACE, slot), "earth") << slot;
        EXPECT_EQ(shows(BLOCK_FLOOR, slot), "bedrock") << slot;
        EXPECT_EQ(shows(42, slot), "brick") << slot;
        EXPECT_EQ(shows(BLOCK_AIR, slot), "light") << slot;
    }
    // Grass on top of the surface block, earth below, and on its four sides a
    // fringe of grass hanging from the top edge over earth.
    EXPECT_EQ(shows(BLOCK_SURFACE, TEX_SLOT_TOP), "grass");
    EXPECT_EQ(shows(BLOCK_SURFACE, TEX_SLOT_BOTTOM), "earth");
    EXPECT_EQ(shows(BLOCK_SURFACE, TEX_SLOT_SIDE, 0, 3), "grass");
    EXPECT_EQ(shows(BLOCK_SURFACE, TEX_SLOT_SIDE, 6, 16), "earth");

    // Every kind shows painted tiles of its own, no side or top cell of another
    // (a row left at zero or copied fails); translucent alone keeps cell (0, 0).
    // The tiles of kinds that are not open are opaque: the ground is taken to
    // hide what lies behind it (render/horizon).
    for (const BlockKind& a : BLOCK_KINDS) {
        for (int slot = 0; !a.open && slot < TEX_SLOTS; ++slot) {
            const AtlasCell cell = blockTexTable.rows[a.id][slot];
            const int left = static_cast<int>(cell.u * 256), top = static_cast<int>(cell.v * 256);
            for (int y = top; y < top + 16; ++y)
                for (int x = left; x < left + 16; ++x)
                    ASSERT_EQ(atlas.rgba[(static_cast<std::size_t>(y) * 256 + x) * 4 + 3], 255) << a.name;
        }
        for (int slot = 0; slot < TEX_SLOTS; ++slot) EXPECT_NE(shows(a.id, slot), "filler") << a.name;
        for (const BlockKind& b : BLOCK_KINDS) {
            if (a.id == b.id || a.id == BLOCK_TRANSLUCENT || b.id == BLOCK_TRANSLUCENT) continue;
            for (int slot : {TEX_SLOT_SIDE, TEX_SLOT_TOP})
                EXPECT_NE(a.cells[slot], b.cells[slot]) << a.name << " shows the cells of " << b.name;
        }
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
