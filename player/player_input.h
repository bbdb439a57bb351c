#pragma once
// Reads the keys, buttons and mouse into the player's plain input record.

#include <SFML/Window.hpp>

#include "player/player.h"

// Samples the devices into a plain record. While focused, mouse look is
// active: the cursor is hidden and held on the window, and its motion turns
// the view (takeMouseLook); without the focus it is shown again.
PlayerInput readPlayerInput(sf::Window& window, bool focused);
