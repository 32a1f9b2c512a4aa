#pragma once

#include "math/Vector3.h"
#include "text/TokenReader.h"
#include "world/Object.h"

#include <memory>

class TextureCache;
class World;

// The world's backdrop: six textured cube faces kept centred on the camera
// and, as the seventh polygon, a translucent cloud layer whose texture
// drifts. Drawn first, with depth testing off, so everything overdraws it.
class Skybox : public Object {
public:
    static constexpr int faceCount = 6;
    static constexpr std::size_t cloudLayer = 6;  // index of the cloud polygon
    static constexpr double scale = 300.0;
    static constexpr double cloudRepeats = 8.0;  // cloud tiles over a unit of texture
    static constexpr double driftU = 0.0005;     // per unit of timeStep
    static constexpr double driftV = 0.0003;

    explicit Skybox(std::vector<Polygon> list) : Object(std::move(list)) {}

    void update(const FrameContext& frame) override;
    void draw(DrawMode drawMode, const FrameContext& frame) override;
    const char* className() const override { return "Skybox"; }

    Vector3 cloudOffset;  // u and v drift in [0, 1); w stays 0
};

// Moves the first four texture coordinates of a face half a texel inward,
// so the faces' edges sample their own texels and no seam shows. A face
// without a texture or with fewer than four vertices is left as it is: it
// still draws, only without the correction.
void shiftFaceInward(Polygon& face);

// After the keyword: a polygon count and that many polygon records. Fails
// whole when any polygon fails.
std::unique_ptr<Object> readSkybox(TokenReader& in, World& world);
