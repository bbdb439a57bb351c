#pragma once
// A deliberately plain mesher that asks getBlock and the light lookups about
// every neighbour: slow, obviously right, and the yardstick for the game's own.

#include "world/world.h"

// Replaces the chunk's mesh the way the game's mesher must, cell by cell.
void buildChunkMeshReference(Chunk& chunk);
