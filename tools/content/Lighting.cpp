#include "content/Lighting.h"

#include "content/Noise.h"
#include "content/Textures.h"
#include "worldfile/Format.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tools {

namespace {

constexpr int occlusionRays = 16;
constexpr double occlusionReach = 10.0;
const Vector3 sunColour{0.78, 0.70, 0.56};
const Vector3 skyColour{0.47, 0.49, 0.55};

// Directions over the upper hemisphere (+y), denser towards the pole
// (cosine-weighted), on a golden-angle spiral: the same on every run.
std::array<Vector3, occlusionRays> hemisphere()
{
    std::array<Vector3, occlusionRays> out{};
    const double goldenAngle = pi * (3.0 - std::sqrt(5.0));
    for (int k = 0; k < occlusionRays; ++k) {
        const double r = std::sqrt((k + 0.5) / occlusionRays);
        const double a = k * goldenAngle;
        out[static_cast<std::size_t>(k)] = {r * cosine(a), std::sqrt(1.0 - r * r), r * sine(a)};
    }
    return out;
}

}  // namespace

LightBaker::LightBaker(const BspTree* tree, const HeightGrid* terrain, double highestPoint)
    : tree_(tree),
      terrain_(terrain),
      highestPoint_(highestPoint)
{}

bool LightBaker::blocked(const Vector3& a, const Vector3& b) const
{
    if (tree_ && tree_->intersectSegment(a, b)) return true;
    return terrain_ && terrain_->intersectSegment(a, b);
}

Vector3 LightBaker::colourAt(const Vector3& point, const Vector3& normal, const Vector3& tint) const
{
    static const std::array<Vector3, occlusionRays> directions = hemisphere();
    // Start a little off the surface so it does not shadow itself.
    const Vector3 start = point + normal * 0.04;

    // A frame round the normal for the hemisphere.
    const Vector3 helper = std::fabs(normal.y) < 0.9 ? Vector3{0, 1, 0} : Vector3{1, 0, 0};
    Vector3 side = helper.cross(normal);
    side /= side.length();
    const Vector3 forward = normal.cross(side);
    int open = 0;
    for (const Vector3& d : directions) {
        const Vector3 ray = side * d.x + normal * d.y + forward * d.z;
        if (!blocked(start, start + ray * occlusionReach)) ++open;
    }
    const double ambient = 0.3 + 0.7 * static_cast<double>(open) / occlusionRays;

    const Vector3 sun = sunDirection();
    double direct = std::max(0.0, normal.dot(sun));
    if (direct > 0.0) {
        // Far enough to clear everything above.
        const double reach = std::max(1.0, (highestPoint_ + 1.0 - start.y) / sun.y);
        if (blocked(start, start + sun * reach)) direct = 0.0;
    }
    auto channel = [&](double t, double sky, double light) {
        return roundDecimals(std::min(1.0, t * (sky * ambient + light * direct)), 3);
    };
    return {channel(tint.x, skyColour.x, sunColour.x), channel(tint.y, skyColour.y, sunColour.y),
            channel(tint.z, skyColour.z, sunColour.z)};
}

}  // namespace tools
