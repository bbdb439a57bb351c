#pragma once
// Reads the keys, buttons and cursor into the player's plain input record.

#include <SFML/Window.hpp>

#include "player/cursor_anchor.h"
#include "player/player.h"

// Samples the devices into a plain record and re-centres the cursor, hidden,
// while focused (mouse look is then active); shows it again without the
// focus. The cursor's offset counts as motion only while the anchor says the
// window stayed put.
PlayerInput readPlayerInput(sf::Window& window, bool focused, CursorAnchor& anchor);
