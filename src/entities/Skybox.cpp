#include "entities/Skybox.h"

#include "textures/Texture.h"
#include "world/FrameContext.h"
#include "world/World.h"

#include <array>

namespace {

// Texture word, three normal components and a vertex count.
constexpr int fewestTokensPerPolygon = 5;

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
    int count = 0;
    if (!in.readCount(count, fewestTokensPerPolygon)) return nullptr;
    std::vector<Polygon> polygons;
    polygons.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        TokenReader::Scope scope(in, "polygon", i);
        std::optional<Polygon> polygon = readPolygon(in, world.textures);
        // The polygons read so far go with the vector: nothing of it stays.
        if (!polygon || !in.ok()) return nullptr;
        polygons.push_back(std::move(*polygon));
    }
    for (std::size_t i = 0; i < polygons.size() && i < Skybox::faceCount; ++i) {
        shiftFaceInward(polygons[i]);
    }
    return std::make_unique<Skybox>(std::move(polygons));
}

void Skybox::update(const FrameContext& frame)
{
    cloudOffset.x = drift(cloudOffset.x, frame.timeStep * driftU);
    cloudOffset.y = drift(cloudOffset.y, frame.timeStep * driftV);
}
