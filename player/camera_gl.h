#pragma once
// Loads the camera transform for this frame into the model-view matrix.

#include "player/player.h"

void loadCamera(const Player& player, bool homeHeld);
