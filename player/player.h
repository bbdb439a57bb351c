#pragma once
// The first-person body: a feet point with heading and view angle, a vertical
// speed, and the mouse-button edges that drive block editing.

#include "player/tuning.h"

struct Vec3f {
    float x, y, z;
};

struct Player {
    bool leftHeld;  // left button was down at the previous update
    bool rightHeld;
    bool leftClick;  // left button went down at this frame's update
    bool rightClick;
    float reserved0[3];  // nothing reads it: keeps the record's layout and size as they have always been
    Vec3f velocity;      // units per frame; only y is ever set
    float pitch;         // radians from straight up, kept within 0.001 .. pi - 0.001
    float yaw;           // radians; 0 faces +x, increasing turns toward +z
    float reserved1;     // as reserved0
    World* world;        // not owned
    Vec3f position;      // the feet point
};

// Everything one update reads from the window and devices, sampled once.
struct PlayerInput {
    bool focused;
    bool leftButton;
    bool rightButton;
    bool forward;   // W
    bool backward;  // S
    bool left;      // A
    bool right;     // D
    bool jump;      // Space
    bool home;      // Home: the camera looks toward the origin (read even without focus)
    int cursorDx;   // this frame's mouse motion in pixels, x (takeMouseLook); 0 without focus
    int cursorDy;   // this frame's mouse motion in pixels, y
};

// Sines and cosines of the view angles, rounded to single precision; the view
// direction is (cosYaw sinPitch, cosPitch, sinYaw sinPitch).
struct ViewTrig {
    float cosYaw, sinYaw, cosPitch, sinPitch;
};
ViewTrig viewTrig(const Player& player);

Player createPlayer(World* world, float x, float y, float z);

// Whether a body point may be at (x, y, z): only air blocks it; the outside of
// the world and missing chunks are free.
bool isPointFree(const Player& player, float x, float y, float z);

// One frame of look, walking, gravity, landing and integration.
void stepPlayer(Player& player, const PlayerInput& input);
