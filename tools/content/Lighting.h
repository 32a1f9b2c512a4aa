#pragma once

#include "geometry/BspTree.h"
#include "geometry/HeightGrid.h"
#include "math/Vector3.h"

namespace tools {

// Sunlight and ambient occlusion baked into vertex colours, so shapes read
// well without OpenGL lighting. Occlusion is found by tracing segments
// through the compiled tree and the terrain, the queries the game uses.
class LightBaker {
public:
    LightBaker(const BspTree* tree, const HeightGrid* terrain, double highestPoint);

    // Colour of a surface point with the given unit normal; `tint` scales
    // the result (the texture carries the material's own colour).
    Vector3 colourAt(const Vector3& point, const Vector3& normal, const Vector3& tint) const;

    // Whether anything lies on the segment.
    bool blocked(const Vector3& a, const Vector3& b) const;

private:
    const BspTree* tree_;
    const HeightGrid* terrain_;
    double highestPoint_;
};

}  // namespace tools
