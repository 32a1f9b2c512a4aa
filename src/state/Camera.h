#pragma once

#include "math/Placement.h"

// The camera's placement: camera to world (its translation is the eye
// position); its inverse, world to camera, is loaded as the modelview.
struct Camera {
    Placement placement;
};
