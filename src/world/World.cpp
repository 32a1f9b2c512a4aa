#include "world/World.h"

#include "world/FrameContext.h"

void World::add(std::unique_ptr<Object> object, EntityRole role)
{
    if (!object) return;
    switch (role) {
    case EntityRole::sky: objects.insert(objects.begin(), std::move(object)); return;
    case EntityRole::light:
        if (const PointLight* light = object->pointLight()) pointLights.push_back(light);
        lights.push_back(std::move(object));
        return;
    case EntityRole::terrain:
        if (const HeightGrid* grid = object->terrainGrid()) heightFields.push_back(grid);
        break;
    case EntityRole::moving: movingObjects.push_back(object.get()); break;
    default: break;
    }
    objects.push_back(std::move(object));
}

void World::unloadTextures()
{
    textures.unloadAll();
    if (cloudTexture) cloudTexture->unload();
}

void World::update(const FrameContext& frame)
{
    for (auto& object : objects) {
        if (object) object->update(frame);
    }
    cloudOffset.x += frame.timeStep * 0.2;
    cloudOffset.y += frame.timeStep * 0.1;
}
