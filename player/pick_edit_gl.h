#pragma once
// The frame's aim: the picking ray, the outline of the aimed-at cell in GL,
// and at most one edit.

#include "player/editing.h"

struct PickAndEditResult {
    PickResult pick;
    EditResult edit;
};

// Marches the picking ray, outlines the hit cell and applies at most one edit,
// rebuilding the affected meshes before the world is drawn.
PickAndEditResult pickAndEdit(World& world, const Player& player);
