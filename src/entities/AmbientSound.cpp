#include "entities/AmbientSound.h"

#include "geometry/Polygon.h"
#include "world/World.h"

#include <cmath>

std::unique_ptr<Object> readAmbientSound(TokenReader& in, World& world)
{
    auto ambient = std::make_unique<AmbientSound>();
    Vector3& p = ambient->position;
    int loop = 0;
    if (!readTextureName(in, ambient->file)) return nullptr;
    if (!(in.readDouble(p.x) && in.readDouble(p.y) && in.readDouble(p.z))) return nullptr;
    if (!in.readDouble(ambient->radius)) return nullptr;
    if (!(ambient->radius > 0.0 && std::isfinite(ambient->radius))) {
        in.fail("a radius above zero");
        return nullptr;
    }
    if (!in.readDouble(ambient->volume)) return nullptr;
    if (!(ambient->volume >= 0.0 && ambient->volume <= 1.0)) {
        in.fail("a volume from 0 to 1");
        return nullptr;
    }
    if (!in.readInt(loop)) return nullptr;
    if (loop != 0 && loop != 1) {
        in.fail("1 (loop) or 0 (once)");
        return nullptr;
    }
    ambient->loop = loop == 1;

    ambient->sound = world.sounds.findOrLoad(ambient->file);
    ambient->voice = world.sounds.voice();
    PlaySettings settings;
    settings.position = p;
    settings.loop = ambient->loop;
    settings.gain = ambient->volume;
    settings.fullVolumeDistance = ambient->radius * 0.5;
    settings.silentDistance = ambient->radius;
    world.sounds.play(ambient->voice, ambient->sound, settings);
    return ambient;
}
