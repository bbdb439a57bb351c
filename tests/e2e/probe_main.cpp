// The game as shipped, plus one line per frame on stdout describing what the
// frame did, so the end-to-end scripts can wait for and check the game's state
// while they drive it with real input. Every line ends with " end" so a reader
// can tell a complete line from one still being written.

#include <cstdio>

#include "app/game.h"

namespace {

const char* editName(EditOutcome outcome) {
    switch (outcome) {
    case EDIT_NONE: return "none";
    case EDIT_REMOVED: return "removed";
    case EDIT_REFUSED_FLOOR: return "refused_floor";
    case EDIT_PLACED: return "placed";
    case EDIT_REFUSED_OUTSIDE: return "refused_outside";
    case EDIT_REFUSED_OCCUPIED: return "refused_occupied";
    case EDIT_REFUSED_BODY: return "refused_body";
    }
    return "unknown";
}

void reportFrame(const FrameReport& r) {
    const Player& p = *r.player;
    const PickResult& pick = r.pickAndEdit.pick;
    std::printf(
        "frame=%ld pos=%.3f,%.3f,%.3f vel=%.3f,%.3f,%.3f yaw=%.6f pitch=%.6f focus=%d left=%d right=%d "
        "home=%d fps=%d pick=%d block=%d,%d,%d dist=%g edit=%s rebuilt=%d drawn=%d size=%ux%u end\n",
        r.frame, p.position.x, p.position.y, p.position.z, p.velocity.x, p.velocity.y, p.velocity.z, p.yaw,
        p.pitch, r.loop->focused ? 1 : 0, p.leftClick ? 1 : 0, p.rightClick ? 1 : 0, r.homeHeld ? 1 : 0,
        static_cast<int>(r.shownFps), pick.hit ? 1 : 0, pick.block.x, pick.block.y, pick.block.z,
        static_cast<double>(pick.distance), editName(r.pickAndEdit.edit.outcome),
        r.pickAndEdit.edit.rebuiltCount, r.chunksDrawn, r.loop->width, r.loop->height);
    std::fflush(stdout);
}

}  // namespace

int main() { return runGame(reportFrame); }
