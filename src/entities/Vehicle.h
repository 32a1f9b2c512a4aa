#pragma once

#include "entities/ControllableObject.h"
#include "math/Vector3.h"
#include "text/TokenReader.h"

#include <memory>

class World;

// A vehicle to board and leave with Enter. Aboard, the player carries it
// (the player's own movement steers); left alone it waits where it was left.
// Reports "ControllableObject" as its class name.
class Vehicle : public ControllableObject {
public:
    static constexpr int enterKey = 13;  // in the character table
    // Where leaving sets the player down, in its own axes: 2 left, 1 behind
    // (the player stops short of whatever stands there).
    static constexpr Vector3 stepOff{-2.0, 0.0, 1.0};

    // Boards or leaves on Enter.
    void update(const FrameContext& frame) override;
    void draw(DrawMode drawMode, const FrameContext& frame) override;

    Vector3 scale{1.0, 1.0, 1.0};  // of the look when nobody is aboard
    double enterRangeSquared = 0.0;
};

// After the keyword: scale, position and boarding range, seven numbers.
std::unique_ptr<Object> readVehicle(TokenReader& in, World& world);
