#include "app/world_setup.h"

#include "render/mesher.h"
#include "world/terrain.h"

World* createWorld() {
    World* world = new World();
    allocateChunks(*world);
    generateTerrain(*world);
    meshAllChunks(*world);
    return world;
}
