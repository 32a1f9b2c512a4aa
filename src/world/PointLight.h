#pragma once

#include "math/Vector3.h"

// What the world's dynamic lighting reads of a light.
struct PointLight {
    double red = 0.0, green = 0.0, blue = 0.0;
    double range = 0.0;  // no effect from this distance on
    Vector3 position;
};
