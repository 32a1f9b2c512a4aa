#include "entities/Light.h"

#include "world/World.h"

namespace {
// Every light's corona uses the same picture.
constexpr const char* coronaTextureName = "..\\TEXTURES\\corona.tga";
}  // namespace

std::unique_ptr<Object> readLight(TokenReader& in, World& world)
{
    auto light = std::make_unique<Light>();
    Vector3& p = light->position;
    if (!(in.readDouble(p.x) && in.readDouble(p.y) && in.readDouble(p.z) &&
          in.readDouble(light->red) && in.readDouble(light->green) && in.readDouble(light->blue) &&
          in.readDouble(light->range) && in.readDouble(light->coronaSize))) {
        return nullptr;
    }
    // A corona picture that does not load leaves the light without corona,
    // silently: the light still lights.
    if (light->coronaSize > 0.0)
        light->coronaTexture = world.textures.findOrLoad(coronaTextureName);
    return light;
}
