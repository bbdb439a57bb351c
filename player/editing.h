#pragma once
// Block editing at the picked cell: removal on a left click, placement on a
// right click, and the mesh rebuilds that keep every chunk's faces current.

#include "player/picking.h"

enum EditOutcome {
    EDIT_NONE,  // no click, or no hit
    EDIT_REMOVED,
    EDIT_REFUSED_FLOOR,  // the bottom layer cannot be removed
    EDIT_PLACED,
    EDIT_REFUSED_OUTSIDE,   // placement point outside the world or in a missing chunk
    EDIT_REFUSED_OCCUPIED,  // placement cell not air
    EDIT_REFUSED_BODY,      // the block would hold the feet or head point
};

struct EditResult {
    EditOutcome outcome;
    int rebuiltCount;  // chunks whose meshes were rebuilt, edited chunk first
    Chunk* rebuilt[4];
};

// At most one edit: removal on a left click, else placement on a right click.
// Rebuilds the edited chunk and every existing neighbour chunk that shares a
// face with the edited cell, so no chunk shows a hole or a stale face.
EditResult applyEdit(World& world, const Player& player, const PickResult& pick);
