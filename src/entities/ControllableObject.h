#pragma once

#include "math/Placement.h"
#include "world/Object.h"

// An object the player can take over. While it is driven its placement is a
// copy of the player's, set by the player after each move.
class ControllableObject : public Object {
public:
    const char* className() const override { return "ControllableObject"; }

    Placement placement;    // object to world and back
    bool occupied = false;  // the player is aboard
};
