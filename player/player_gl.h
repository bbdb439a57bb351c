#pragma once
// The player's per-frame adapters between the window, the pure player logic
// and OpenGL.

#include <SFML/Window.hpp>

#include "player/picking.h"

// Samples the devices into a plain record and re-centres the cursor (only
// while focused, as mouse look is then active).
PlayerInput readPlayerInput(sf::Window& window, bool focused);

// One frame of the player: reads the devices, then steps the player.
void updatePlayer(Player& player, sf::Window& window, bool focused);

// Loads the camera transform for this frame and extracts the frustum from it.
void updateCamera(const Player& player, bool homeHeld);

struct PickAndEditResult {
    PickResult pick;
    EditResult edit;
};

// Marches the picking ray, outlines the hit cell and applies at most one edit,
// rebuilding the affected meshes before the world is drawn.
PickAndEditResult pickAndEdit(World& world, const Player& player);
