#pragma once

#include "math/Matrix4.h"
#include "world/Object.h"

// An object the player can take over. While it is driven its placement is a
// copy of the player's, set by the player after each move.
class ControllableObject : public Object {
public:
    const char* className() const override { return "ControllableObject"; }

    Matrix4 transform;         // object to world; translation = position
    Matrix4 inverseTransform;  // world to object
    bool occupied = false;     // the player is aboard
};
