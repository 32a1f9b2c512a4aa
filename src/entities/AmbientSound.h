#pragma once

#include "audio/SoundCache.h"
#include "math/Vector3.h"
#include "text/TokenReader.h"
#include "world/Object.h"

#include <memory>
#include <string>

class World;

// A sound placed in the world: wind over open ground, the hum of a lamp.
// It starts when the world loads, looping or once, heard fully within half
// its radius and fading to nothing at the radius. Draws nothing.
class AmbientSound : public Object {
public:
    const char* className() const override { return "Sound"; }
    void draw(DrawMode, const FrameContext&) override {}

    std::string file;
    Vector3 position;
    double radius = 0.0;
    double volume = 1.0;
    bool loop = true;
    Sound sound;  // silent when the file could not be used
    Voice voice;
};

// After the keyword: file name, position, radius (above 0), volume (0 to 1)
// and 1 to loop or 0 to play once. The file is decoded into the world's
// sound cache and starts playing.
std::unique_ptr<Object> readAmbientSound(TokenReader& in, World& world);
