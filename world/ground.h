#pragma once
// How high the solid ground reaches from the world's floor, column by column:
// every cell of a column below its depth is solid (not open), so a line of
// sight that enters that ground from the open world meets a drawn face first.
// Measured once the terrain is made, and again for a column whenever an edit
// changes one of its cells, in the same frame as the meshes.

#include "world/world.h"

// Every column of the world, read from its cells, and then its tiles. (The
// terrain's generation knows its columns' depths and measures the tiles only.)
void measureGround(World& world);
void measureGroundTiles(World& world);

// After the cell of block (x, y, z) changed: its column and its tile.
// Blocks outside the world change nothing.
void groundAfterEdit(World& world, int x, int y, int z);
