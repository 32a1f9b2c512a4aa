#pragma once

#include "math/Vector3.h"
#include "text/TokenReader.h"
#include "world/Object.h"

#include <memory>

class World;

// A GLUT teapot turning about the vertical: decoration. Reports "Object" as
// its class name.
class Teapot : public Object {
public:
    static constexpr int wireStyle = 0;
    static constexpr int solidStyle = 1;
    static constexpr double turnPerFrame = 5.0;  // degrees, whatever the time step

    void update(const FrameContext& frame) override;
    void draw(DrawMode drawMode, const FrameContext& frame) override;

    Vector3 scale{1.0, 1.0, 1.0};
    Vector3 position;
    int style = wireStyle;  // any other value draws nothing
    double angle = 0.0;     // degrees about y
};

// After the keyword: scale, position, style (an integer) and angle.
std::unique_ptr<Object> readTeapot(TokenReader& in, World& world);
