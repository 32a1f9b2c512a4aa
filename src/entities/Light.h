#pragma once

#include "geometry/TokenReader.h"
#include "math/Vector3.h"
#include "world/Object.h"

#include <memory>

class Texture;
class World;

// A point light: it colours moving objects through the world's dynamic
// lighting and may show a corona, a camera-facing square drawn only while
// nothing stands between the camera and the light.
class Light : public Object {
public:
    void draw(int drawMode, const FrameContext& frame) override;
    const char* className() const override { return "Light"; }

    double red = 0.0, green = 0.0, blue = 0.0;
    double range = 0.0;                // no effect from this distance on
    double coronaSize = 0.0;           // half the corona's side; 0 or less: no corona
    Texture* coronaTexture = nullptr;  // owned by the cache; none without corona
    Vector3 position;
};

// After the keyword: position, colour, range and corona size.
std::unique_ptr<Object> readLight(TokenReader& in, World& world);
