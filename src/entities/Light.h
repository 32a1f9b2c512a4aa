#pragma once

#include "math/Vector3.h"
#include "text/TokenReader.h"
#include "world/Object.h"
#include "world/PointLight.h"

#include <memory>

class Texture;
class World;

// A point light: it colours moving objects through the world's dynamic
// lighting and may show a corona, a camera-facing square drawn only while
// nothing stands between the camera and the light.
class Light : public Object, public PointLight {
public:
    void draw(DrawMode drawMode, const FrameContext& frame) override;
    const char* className() const override { return "Light"; }
    const PointLight* pointLight() const override { return this; }

    double coronaSize = 0.0;           // half the corona's side; 0 or less: no corona
    Texture* coronaTexture = nullptr;  // owned by the cache; none without corona
};

// After the keyword: position, colour, range and corona size.
std::unique_ptr<Object> readLight(TokenReader& in, World& world);
