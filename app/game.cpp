#include "app/game.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <chrono>
#include <cstdio>

#include "app/gl_view.h"
#include "app/overlay_draw.h"
#include "app/overlay_text.h"
#include "app/texture.h"
#include "app/world_setup.h"
#include "platform/platform.h"
#include "player/player_input.h"
#include "render/block_textures.h"
#include "render/world_draw.h"

namespace {

constexpr unsigned WINDOW_WIDTH = 640;
constexpr unsigned WINDOW_HEIGHT = 480;

// Process-wide, but made on first use: constructing a window object already
// talks to the display, so it must wait until the display has been checked.
sf::Window& gameWindow() {
    static sf::Window window;
    return window;
}

WindowEvent toWindowEvent(const sf::Event& event) {
    WindowEvent e = {WINDOW_EVENT_OTHER, false, 0, 0};
    switch (event.type) {
    case sf::Event::Closed: e.kind = WINDOW_EVENT_CLOSED; break;
    case sf::Event::LostFocus: e.kind = WINDOW_EVENT_LOST_FOCUS; break;
    case sf::Event::GainedFocus: e.kind = WINDOW_EVENT_GAINED_FOCUS; break;
    case sf::Event::KeyPressed:
        e.kind = WINDOW_EVENT_KEY_PRESSED;
        e.keyIsEscape = event.key.code == sf::Keyboard::Escape;
        break;
    case sf::Event::Resized:
        e.kind = WINDOW_EVENT_RESIZED;
        e.width = event.size.width;
        e.height = event.size.height;
        break;
    default: break;
    }
    return e;
}

void pollEvents(sf::Window& window, LoopState& loop) {
    sf::Event event;
    while (window.pollEvent(event)) {
        applyWindowEvent(loop, toWindowEvent(event));
        // Once closed, the queue is gone with the window.
        if (!loop.open) {
            window.close();
            return;
        }
    }
}

// The viewport and perspective follow the window; at 640 x 480 they are the
// start-up ones. (Mouse look does not take the change of centre for motion:
// see CursorAnchor.)
void followWindowSize(LoopState& loop) {
    if (!loop.resized) return;
    loop.resized = false;
    glViewport(0, 0, static_cast<GLsizei>(loop.width), static_cast<GLsizei>(loop.height));
    setProjection(loop.width, loop.height);
}

long microsecondsBetween(std::chrono::steady_clock::time_point from,
                         std::chrono::steady_clock::time_point to) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::microseconds>(to - from).count());
}

}  // namespace

World* gameWorld = nullptr;
Player* gamePlayer = nullptr;

int runGame(FrameObserver observer) {
    LoopState loop = {true, true, WINDOW_WIDTH, WINDOW_HEIGHT, false};
    useParentConsole();
    unsigned screenBits = 0;
    if (const char* problem = displayProblem(screenBits)) {
        std::fprintf(stderr, "vexelmoor: cannot open a window: %s\n", problem);
        return 1;
    }

    sf::Window& window = gameWindow();
    sf::ContextSettings context;
    context.depthBits = 24;  // the 3D view depends on depth testing
    // 32 bits where the screen has 24 or more; a shallower screen only takes
    // windows of its own depth.
    const unsigned bits = screenBits >= 24 ? 32 : screenBits;
    window.create(sf::VideoMode(WINDOW_WIDTH, WINDOW_HEIGHT, bits), "Vexelmoor", sf::Style::Default, context);
    if (!window.isOpen()) {
        std::fprintf(stderr, "vexelmoor: cannot open a window\n");
        return 1;
    }
    window.setFramerateLimit(60);

    const Texture atlas = loadTexture("texture.png");
    const Texture font = loadTexture("fonta.png");
    // The table must be complete before the world meshes its chunks.
    setGameBlockTextures();
    World* world = gameWorld = createWorld();
    Player* player = gamePlayer = new Player(createPlayer(world, 4096.0f, 2048.0f, 4096.0f));
    setFixedGlState();
    setProjection(WINDOW_WIDTH, WINDOW_HEIGHT);

    sf::Clock clock;
    clock.restart();
    FpsCounter fps = {0, 0};
    long frame = 0;

    while (window.isOpen()) {
        if (countFrame(fps, static_cast<std::uint32_t>(clock.getElapsedTime().asMilliseconds())))
            clock.restart();
        pollEvents(window, loop);
        if (!loop.open) break;  // the window and its context are gone
        followWindowSize(loop);

        glBindTexture(GL_TEXTURE_2D, atlas.glName);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();

        const auto logicStart = std::chrono::steady_clock::now();
        const PlayerInput input = readPlayerInput(window, loop.focused);
        stepPlayer(*player, input);
        loadCamera(*player, input.home);
        extractFrustum();
        const PickAndEditResult picked = pickAndEdit(*world, *player);
        const auto drawStart = std::chrono::steady_clock::now();
        const int chunksDrawn = drawWorld(*world);
        drawOverlay(font, fps.shownFps, player->position, loop.width, loop.height);

        if (observer) {
            const auto drawEnd = std::chrono::steady_clock::now();
            observer({++frame, player, &loop, fps.shownFps, input.home, picked, chunksDrawn,
                      microsecondsBetween(logicStart, drawStart), microsecondsBetween(drawStart, drawEnd)});
        }
        window.display();
    }
    return 0;
}
