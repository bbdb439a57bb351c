#pragma once
// The world as the game starts with it: every chunk allocated, its terrain
// generated and its mesh built. It sits above world/ and render/ because it
// uses both; tools that time the phases apart call the three steps themselves.

#include "world/world.h"

// Allocation, terrain, meshing; the caller owns the result for the whole run.
World* createWorld();
