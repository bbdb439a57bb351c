#include "player/player_input.h"

#include "platform/platform.h"

PlayerInput readPlayerInput(sf::Window& window, bool focused) {
    PlayerInput input = {};
    input.focused = focused;
    input.leftButton = sf::Mouse::isButtonPressed(sf::Mouse::Left);
    input.rightButton = sf::Mouse::isButtonPressed(sf::Mouse::Right);
    input.home = sf::Keyboard::isKeyPressed(sf::Keyboard::Home);
    const LookMotion look = takeMouseLook(window, focused);
    if (!focused) return input;
    input.forward = sf::Keyboard::isKeyPressed(sf::Keyboard::W);
    input.backward = sf::Keyboard::isKeyPressed(sf::Keyboard::S);
    input.left = sf::Keyboard::isKeyPressed(sf::Keyboard::A);
    input.right = sf::Keyboard::isKeyPressed(sf::Keyboard::D);
    input.jump = sf::Keyboard::isKeyPressed(sf::Keyboard::Space);
    input.cursorDx = look.dx;
    input.cursorDy = look.dy;
    return input;
}
