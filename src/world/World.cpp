#include "world/World.h"

World::~World()
{
    // Entities may point into the texture cache; let them go before it.
    objects.clear();
    lights.clear();
}

void World::unloadTextures()
{
    textures.unloadAll();
    if (cloudTexture) cloudTexture->unload();
}

void World::update(double timeStep)
{
    for (auto& object : objects) {
        if (object) object->update();
    }
    cloudOffset.x += timeStep * 0.2;
    cloudOffset.y += timeStep * 0.1;
}
