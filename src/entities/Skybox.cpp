#include "entities/Skybox.h"

#include "textures/Texture.h"
#include "world/FrameContext.h"
#include "world/World.h"

#include <array>

namespace {

// One wrap at most: a frame never drifts a whole texture.
double drift(double offset, double step)
{
    offset += step;
    if (offset >= 1.0) offset -= 1.0;
    return offset;
}

}  // namespace

void shiftFaceInward(Polygon& face)
{
    if (!face.texture || face.vertices.size() < 4) return;
    const double du = 0.5 / face.texture->width();
    const double dv = 0.5 / face.texture->height();
    // The corners (0, 0), (1, 0), (1, 1), (0, 1) in this order.
    constexpr std::array<std::array<double, 2>, 4> inward{{{1, 1}, {-1, 1}, {-1, -1}, {1, -1}}};
    for (std::size_t k = 0; k < inward.size(); ++k) {
        face.vertices[k].u += inward[k][0] * du;
        face.vertices[k].v += inward[k][1] * dv;
    }
}

std::unique_ptr<Object> readSkybox(TokenReader& in, World& world)
{
    // A record with one bad polygon fails whole: nothing of it stays.
    std::optional<std::vector<Polygon>> polygons =
        readPolygonList(in, world.textures, CountBelowZero::noPolygons);
    if (!polygons) return nullptr;
    for (std::size_t i = 0; i < polygons->size() && i < Skybox::faceCount; ++i) {
        shiftFaceInward((*polygons)[i]);
    }
    return std::make_unique<Skybox>(std::move(*polygons));
}

void Skybox::update(const FrameContext& frame)
{
    cloudOffset.x = drift(cloudOffset.x, frame.timeStep * driftU);
    cloudOffset.y = drift(cloudOffset.y, frame.timeStep * driftV);
}
