#include "player/player.h"

#include <cmath>

Player createPlayer(World* world, float x, float y, float z) {
    Player player = {};
    player.world = world;
    player.position = {x, y, z};
    return player;
}

ViewTrig viewTrig(const Player& player) {
    const double yaw = player.yaw, pitch = player.pitch;
    return {static_cast<float>(std::cos(yaw)), static_cast<float>(std::sin(yaw)),
            static_cast<float>(std::cos(pitch)), static_cast<float>(std::sin(pitch))};
}

namespace {

constexpr float BLOCK = UNITS_PER_BLOCK;

// The chunk coordinate of a position; false when it is outside 0..limit-1
// (NaN and huge values included, before any conversion to int).
bool chunkCoordOf(float p, int limit, int& out) {
    const float c = std::floor(p * CHUNKS_PER_UNIT);
    if (!(c >= 0.0f && c < static_cast<float>(limit))) return false;
    out = static_cast<int>(c);
    return true;
}

int cellCoordOf(float p) { return (static_cast<int>(p) / UNITS_PER_BLOCK) % CHUNK_EDGE; }

void walk(Player& player, float angle, float step) {
    const float dx = static_cast<float>(std::cos(static_cast<double>(angle)) * step);
    const float dz = static_cast<float>(std::sin(static_cast<double>(angle)) * step);
    Vec3f& p = player.position;
    // Each axis on its own, so a wall on one axis still lets the body slide along it.
    const float nx = p.x + dx;
    if (isPointFree(player, nx, p.y, p.z) && isPointFree(player, nx, p.y + PLAYER_HEAD_HEIGHT, p.z)) p.x = nx;
    const float nz = p.z + dz;
    if (isPointFree(player, p.x, p.y, nz) && isPointFree(player, p.x, p.y + PLAYER_HEAD_HEIGHT, nz)) p.z = nz;
}

// Where the feet stop when falling by vy this frame, or false when nothing
// solid is in the way. Below one block per frame only the probe point counts
// and the feet snap to the top of its cell. Faster falls test every cell row
// the feet pass through, from a block below the feet down to the probe point, so
// they land on the highest one instead of inside it. Only rows inside the
// world's height can be solid, so the search covers at most those 128 rows,
// however far or fast the fall and whatever the values (NaN finds nothing).
bool landingHeight(const Player& player, float vy, float& landY) {
    const Vec3f& p = player.position;
    if (vy > -BLOCK) {
        if (isPointFree(player, p.x, p.y + vy, p.z)) return false;
        landY = BLOCK * std::ceil((p.y + vy) / BLOCK);
        return true;
    }
    constexpr int ROWS = WORLD_CHUNKS_Y * CHUNK_EDGE;
    constexpr float WORLD_TOP = BLOCK * ROWS;
    const float top = p.y - BLOCK, bottom = p.y + vy;
    if (!(bottom <= top) || top < 0.0f || bottom >= WORLD_TOP) return false;
    const int highRow = top >= WORLD_TOP ? ROWS - 1 : static_cast<int>(top / BLOCK);
    const int lowRow = bottom < 0.0f ? 0 : static_cast<int>(bottom / BLOCK);
    for (int row = highRow; row >= lowRow; --row) {
        if (!isPointFree(player, p.x, BLOCK * static_cast<float>(row), p.z)) {
            landY = BLOCK * static_cast<float>(row + 1);
            return true;
        }
    }
    return false;
}

}  // namespace

bool isPointFree(const Player& player, float x, float y, float z) {
    int cx, cy, cz;
    if (!chunkCoordOf(x, WORLD_CHUNKS_X, cx) || !chunkCoordOf(y, WORLD_CHUNKS_Y, cy) ||
        !chunkCoordOf(z, WORLD_CHUNKS_Z, cz))
        return true;
    const Chunk* chunk = player.world ? getChunk(*player.world, cx, cy, cz) : nullptr;
    if (!chunk) return true;
    return getBlock(*chunk, cellCoordOf(x), cellCoordOf(y), cellCoordOf(z)) == BLOCK_AIR;
}

void stepPlayer(Player& player, const PlayerInput& input) {
    // Button edges ignore focus: a click into an unfocused window still edits.
    player.leftClick = input.leftButton && !player.leftHeld;
    player.leftHeld = input.leftButton;
    player.rightClick = input.rightButton && !player.rightHeld;
    player.rightHeld = input.rightButton;

    if (input.focused) {
        // Cursor right of centre turns right; below centre looks down.
        player.yaw += static_cast<float>(input.cursorDx / LOOK_PIXELS_PER_RADIAN);
        player.pitch += static_cast<float>(input.cursorDy / LOOK_PIXELS_PER_RADIAN);
    }

    if (player.pitch < PITCH_MIN) player.pitch = PITCH_MIN;
    if (player.pitch > PITCH_MAX) player.pitch = PITCH_MAX;

    if (input.focused) {
        constexpr float QUARTER_TURN = 1.5707964f;
        if (input.forward) walk(player, player.yaw, PLAYER_WALK_STEP);
        if (input.backward) walk(player, player.yaw, -PLAYER_WALK_STEP);
        if (input.left) walk(player, player.yaw - QUARTER_TURN, PLAYER_WALK_STEP);
        if (input.right) walk(player, player.yaw + QUARTER_TURN, PLAYER_WALK_STEP);
    }

    Vec3f& p = player.position;
    float vy = player.velocity.y;
    if (isPointFree(player, p.x, p.y + vy, p.z)) vy -= PLAYER_GRAVITY;

    float landY;
    if (landingHeight(player, vy, landY)) {
        p.y = landY;
        vy = 0.0f;
        if (input.jump && input.focused) vy = PLAYER_JUMP_SPEED;
    }
    player.velocity.y = vy;

    p.x += player.velocity.x;
    p.y += player.velocity.y;
    p.z += player.velocity.z;
}
