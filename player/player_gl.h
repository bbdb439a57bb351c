#pragma once
// The player's per-frame adapters between the window, the pure player logic
// and OpenGL.

#include <SFML/Window.hpp>

#include "player/cursor_anchor.h"
#include "player/picking.h"

// Samples the devices into a plain record and re-centres the cursor, hidden,
// while focused (mouse look is then active); shows it again without the
// focus. The cursor's offset counts as motion only while the anchor says the
// window stayed put.
PlayerInput readPlayerInput(sf::Window& window, bool focused, CursorAnchor& anchor);

// One frame of the player: reads the devices, then steps the player.
void updatePlayer(Player& player, sf::Window& window, bool focused, CursorAnchor& anchor);

// Loads the camera transform for this frame and extracts the frustum from it.
void updateCamera(const Player& player, bool homeHeld);

struct PickAndEditResult {
    PickResult pick;
    EditResult edit;
};

// Marches the picking ray, outlines the hit cell and applies at most one edit,
// rebuilding the affected meshes before the world is drawn.
PickAndEditResult pickAndEdit(World& world, const Player& player);
