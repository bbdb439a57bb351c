#pragma once
// Turns one chunk's blocks into its triangle mesh: a textured, light-shaded
// quad for every face between a solid cell and an open one.

#include "world/block_kinds.h"

enum Face { FACE_NEG_X = 0, FACE_POS_X, FACE_NEG_Z, FACE_POS_Z, FACE_NEG_Y, FACE_POS_Y, FACE_COUNT };

// Per face: 6 vertices = 18 positions, 24 colour bytes, 12 texture coordinates.
constexpr std::uint32_t POSITIONS_PER_FACE = 18;
constexpr std::uint32_t COLOURS_PER_FACE = 24;
constexpr std::uint32_t TEXCOORDS_PER_FACE = 12;

// Grey level of a face whose open neighbour has light level 0..15.
constexpr std::uint8_t faceGrey(int light) { return static_cast<std::uint8_t>(15 * (light + 2)); }

// Appends one face of the cell whose origin is (x, y, z) in sub-block units
// (its drawn box spans y - 16 .. y). The arrays must have room for it.
void emitFace(ChunkMesh& mesh, Face face, int x, int y, int z, BlockId kind, int light);

// Replaces the chunk's arrays with exactly sized new ones from the heap. Old
// heap arrays are freed; a first mesh stays in its arena until the world goes.
void buildChunkMesh(Chunk& chunk);

// Builds every chunk's first mesh, in slot order, carving them from huge-page
// arenas that the world owns.
void meshAllChunks(World& world);
