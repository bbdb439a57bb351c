#pragma once
// Every tuning value of the player and of picking, in units (the scales are in
// world/world.h) and frames (at the 60-frame limit).

#include "world/world.h"

constexpr float PLAYER_WALK_STEP = 1.5f;     // units a frame while a walking key is held
constexpr float PLAYER_GRAVITY = 0.18f;      // units a frame lost each frame while nothing holds the feet
constexpr float PLAYER_JUMP_SPEED = 2.5f;    // units a frame upward at take-off
constexpr float PLAYER_HEAD_HEIGHT = 24.0f;  // head point above the feet point
constexpr double LOOK_PIXELS_PER_RADIAN = 500.0;  // cursor pixels for one radian of turn or tilt

// The view is kept this far off the poles, where it would be parallel to the camera's up.
constexpr float PITCH_MIN = 0.001f;
constexpr float PITCH_MAX = 3.1405928f;  // pi - 0.001 in single precision

constexpr float CAMERA_EYE_HEIGHT = 9.0f;        // eye above the feet, among the drawn geometry
constexpr float CAMERA_HOME_EYE_HEIGHT = 12.0f;  // eye height of the look toward the origin

// The picking ray starts at the camera's eye lifted one block, into the data's
// frame (cells are drawn one block below their data position), and samples
// every unit from the first sample to below the reach.
constexpr float PICK_EYE_HEIGHT = CAMERA_EYE_HEIGHT + UNITS_PER_BLOCK;
constexpr float PICK_FIRST_SAMPLE = 8.0f;
constexpr float PICK_REACH = 80.0f;
