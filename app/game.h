#pragma once
// The game's entry and frame loop.

#include "app/window_rules.h"
#include "player/pick_edit_gl.h"

// What one frame did, for test builds that watch the game from outside.
struct FrameReport {
    long frame;      // 1 for the first frame
    Player* player;  // test builds may move it, to reach far ground quickly
    const LoopState* loop;
    std::int32_t shownFps;
    bool homeHeld;
    PickAndEditResult pickAndEdit;
    int chunksDrawn;
    long logicMicros;  // player, camera, picking and editing
    long drawMicros;   // culling and handing the world and overlay to GL
};

// The game's world and player: made once at start-up and kept for the whole
// run, never released (null until then).
extern World* gameWorld;
extern Player* gamePlayer;

// Called after the overlay, before the buffer swap.
using FrameObserver = void (*)(const FrameReport& report);

// Opens the window, builds the world and runs until the window closes.
// Returns 0 after a normal close, 1 when no window could be opened.
int runGame(FrameObserver observer);
