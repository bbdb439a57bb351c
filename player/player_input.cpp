#include "player/player_input.h"

PlayerInput readPlayerInput(sf::Window& window, bool focused, CursorAnchor& anchor) {
    PlayerInput input = {};
    input.focused = focused;
    input.leftButton = sf::Mouse::isButtonPressed(sf::Mouse::Left);
    input.rightButton = sf::Mouse::isButtonPressed(sf::Mouse::Right);
    input.home = sf::Keyboard::isKeyPressed(sf::Keyboard::Home);
    if (!focused) {
        takeCursorMotion(anchor, false, 0, 0, 0, 0);
        return input;
    }
    input.forward = sf::Keyboard::isKeyPressed(sf::Keyboard::W);
    input.backward = sf::Keyboard::isKeyPressed(sf::Keyboard::S);
    input.left = sf::Keyboard::isKeyPressed(sf::Keyboard::A);
    input.right = sf::Keyboard::isKeyPressed(sf::Keyboard::D);
    input.jump = sf::Keyboard::isKeyPressed(sf::Keyboard::Space);
    const sf::Vector2u size = window.getSize();
    const sf::Vector2i centre(static_cast<int>(size.x / 2), static_cast<int>(size.y / 2));
    const sf::Vector2i cursor = sf::Mouse::getPosition(window);
    // Read after the cursor, so a move in between is caught rather than taken for motion.
    const sf::Vector2i place = window.getPosition();
    if (takeCursorMotion(anchor, true, place.x, place.y, size.x, size.y)) {
        input.cursorDx = cursor.x - centre.x;
        input.cursorDy = cursor.y - centre.y;
    }
    sf::Mouse::setPosition(centre, window);
    // While the manager slides the window in from off the screen the centre
    // may be out of the cursor's reach; an offset from there is no motion.
    if (sf::Mouse::getPosition(window) != centre) anchor.set = false;
    return input;
}
