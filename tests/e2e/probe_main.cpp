// The game as shipped, plus one line per frame on stdout describing what the
// frame did, so the end-to-end scripts can wait for and check the game's state
// while they drive it with real input. Every line ends with " end" so a reader
// can tell a complete line from one still being written.
// SIGUSR1 asks for every chunk mesh to be rebuilt from the current blocks; the
// next report does it (on the game thread, rebuilt_all=1) and the frame after
// it draws the new meshes, so a script can compare the picture the edits left
// with one drawn from meshes built afresh. heap= is the memory the allocator
// has handed out and not had back (kB), for the soak's leak check.
// viewport= and aspect= are read back from GL: the viewport and the width over
// height of the perspective in force when the frame was drawn. With
// PROBE_CENTRE set, centre= is a checksum of the middle of the frame's picture
// (0 otherwise: reading the picture back slows every frame).

#include <GL/gl.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/game.h"
#include "render/mesher.h"
#include "world/huge_page_arena.h"

namespace {

volatile std::sig_atomic_t rebuildRequested = 0;

#ifdef SIGUSR1  // not on Windows
void requestRebuild(int) { rebuildRequested = 1; }
#endif

// The GL context is current here, and the next frame draws the new arrays.
bool rebuildAllIfRequested(World& world) {
    if (!rebuildRequested) return false;
    rebuildRequested = 0;
    for (Chunk* chunk : world.chunks)
        if (chunk) buildChunkMesh(*chunk);
    return true;
}

// Mesh arrays that edits replaced in the world's arenas count as given back.
// Only where the allocator can tell (not on Windows): " heap=KB" or nothing.
void heapInUse(char (&text)[32]) {
    text[0] = '\0';
#ifdef __GLIBC__
    const struct mallinfo2 info = mallinfo2();
    std::snprintf(text, sizeof text, " heap=%zu", (info.uordblks + info.hblkhd - retiredArenaBytes()) / 1024);
#endif
}

// PROBE_START="x,y,z[,yaw,pitch]": where the first frame leaves the player, so
// a script starts each scenario from a place and view of its own choosing.
void moveToStartIfAsked(Player& player) {
    const char* place = std::getenv("PROBE_START");
    float x, y, z, yaw, pitch;
    if (!place) return;
    const int given = std::sscanf(place, "%f,%f,%f,%f,%f", &x, &y, &z, &yaw, &pitch);
    if (given >= 3) player.position = {x, y, z};
    if (given == 5) {
        player.yaw = yaw;
        player.pitch = pitch;
    }
}

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

struct GlView {
    GLint viewport[4];
    double aspect;
};

// After the overlay the projection is the perspective again.
GlView readGlView() {
    GlView view;
    glGetIntegerv(GL_VIEWPORT, view.viewport);
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    view.aspect = projection[0] != 0 ? static_cast<double>(projection[5]) / projection[0] : 0;
    return view;
}

// A checksum of the middle of this frame's picture (half the viewport's width
// and height), read before the swap: equal in two frames where it did not change.
std::uint32_t centreChecksum(const GLint viewport[4]) {
    const GLint w = viewport[2] / 2, h = viewport[3] / 2;
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * h * 4);
    glReadPixels(viewport[0] + w / 2, viewport[1] + h / 2, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    std::uint32_t sum = 2166136261u;  // FNV-1a
    for (std::uint8_t byte : rgba) sum = (sum ^ byte) * 16777619u;
    return sum;
}

void reportFrame(const FrameReport& r) {
    if (r.frame == 1) moveToStartIfAsked(*r.player);
    const Player& p = *r.player;
    const PickResult& pick = r.pickAndEdit.pick;
    const bool rebuiltAll = rebuildAllIfRequested(*p.world);
    const GlView view = readGlView();
    static const bool centreAsked = std::getenv("PROBE_CENTRE") != nullptr;
    char heap[32];
    heapInUse(heap);
    std::printf(
        "frame=%ld pos=%.3f,%.3f,%.3f vel=%.3f,%.3f,%.3f yaw=%.6f pitch=%.6f focus=%d left=%d right=%d "
        "home=%d fps=%d pick=%d block=%d,%d,%d dist=%g edit=%s rebuilt=%d drawn=%d size=%ux%u "
        "rebuilt_all=%d%s logic_us=%ld draw_us=%ld viewport=%d,%d,%d,%d aspect=%.6f centre=%08x end\n",
        r.frame, p.position.x, p.position.y, p.position.z, p.velocity.x, p.velocity.y, p.velocity.z, p.yaw,
        p.pitch, r.loop->focused ? 1 : 0, p.leftClick ? 1 : 0, p.rightClick ? 1 : 0, r.homeHeld ? 1 : 0,
        static_cast<int>(r.shownFps), pick.hit ? 1 : 0, pick.block.x, pick.block.y, pick.block.z,
        static_cast<double>(pick.distance), editName(r.pickAndEdit.edit.outcome),
        r.pickAndEdit.edit.rebuiltCount, r.chunksDrawn, r.loop->width, r.loop->height, rebuiltAll ? 1 : 0,
        heap, r.logicMicros, r.drawMicros, view.viewport[0], view.viewport[1], view.viewport[2],
        view.viewport[3], view.aspect,
        centreAsked ? static_cast<unsigned>(centreChecksum(view.viewport)) : 0u);
    std::fflush(stdout);
}

}  // namespace

int main() {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);  // lines end in "end\n", as the scripts read them
#endif
#ifdef SIGUSR1
    std::signal(SIGUSR1, requestRebuild);
#endif
    return runGame(reportFrame);
}
