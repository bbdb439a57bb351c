#include "app/game.h"

int main() { return runGame(nullptr); }
