#pragma once

#include "math/Matrix4.h"

// placement: camera to world (its translation is the eye position);
// view: world to camera, kept inverse to placement and loaded as modelview.
struct Camera {
    Matrix4 placement;
    Matrix4 view;
};
