#include "content/Icon.h"

#include "platform/PngFile.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace tools {

namespace {

struct Colour {
    double r, g, b;
};

Colour mix(Colour a, Colour b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour scaled(Colour c, double k) { return {c.r * k, c.g * k, c.b * k}; }

// The picture in unit coordinates: u to the right, v down, both 0..1.
constexpr double horizon = 0.60;  // where the canyon floor meets the sky
constexpr double margin = 0.03;   // around the tile
constexpr double corner = 0.19;   // the tile's corner radius
constexpr double outline = 0.035;

// Signed distance to the rounded tile's edge: negative inside.
double tileDistance(double u, double v)
{
    const double half = 0.5 - margin - corner;
    const double qx = std::abs(u - 0.5) - half;
    const double qy = std::abs(v - 0.5) - half;
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - corner;
}

// The inner edge of the left wall (right wall mirrored, with its own
// roughness): near the top of the picture it stands wide, at the horizon it
// closes to the gap at the far end of the canyon.
double leftEdge(double v)
{
    if (v <= horizon) {
        return 0.15 + 0.29 * (v / horizon) + 0.022 * std::sin(v * 41.0) +
               0.012 * std::sin(v * 97.0 + 1.3);
    }
    // Below the horizon the wall's foot runs down to the picture's edge.
    return 0.44 - (v - horizon) * (0.44 / 0.27);
}

double rightEdge(double v)
{
    if (v <= horizon) {
        return 0.84 - 0.28 * (v / horizon) + 0.018 * std::sin(v * 53.0 + 0.7) +
               0.010 * std::sin(v * 121.0);
    }
    return 0.56 + (v - horizon) * (0.44 / 0.27);
}

// Rock strata: bands that run toward the far end of the canyon, as seen in
// perspective, with a little waviness.
Colour rock(double u, double v, bool sunlit)
{
    static const Colour bands[] = {
        {0.67, 0.31, 0.18}, {0.86, 0.71, 0.52}, {0.52, 0.21, 0.13},
        {0.78, 0.45, 0.25}, {0.90, 0.78, 0.60}, {0.58, 0.26, 0.16},
    };
    const double across = std::max(std::abs(u - 0.5), 0.04);
    const double s = (horizon - v) / across + 0.08 * std::sin(u * 23.0 + v * 7.0);
    double band = s * 2.6;
    band -= std::floor(band / 6.0) * 6.0;
    const Colour c = bands[static_cast<int>(band) % 6];
    return scaled(c, sunlit ? 1.0 : 0.72);
}

// The colour where the point lies inside the tile, before the outline.
Colour scene(double u, double v)
{
    const double left = leftEdge(v);
    const double right = rightEdge(v);
    if (u < left) return rock(u, v, false);
    if (u > right) return rock(u, v, true);
    if (v < horizon) {
        const Colour sky = mix({0.27, 0.50, 0.86}, {0.72, 0.85, 0.97}, v / horizon);
        const double sun = std::hypot(u - 0.62, v - 0.17);
        if (sun < 0.075) return {1.0, 0.93, 0.58};
        if (sun < 0.11) return mix({1.0, 0.93, 0.58}, sky, (sun - 0.075) / 0.035);
        return sky;
    }
    // The floor: sand, and a creek that winds toward the viewer and widens.
    const double t = (v - horizon) / (1.0 - horizon);
    const double centre = 0.5 + 0.11 * t * std::sin(t * 5.5);
    const double halfWidth = 0.01 + 0.15 * std::pow(t, 1.2);
    const double off = std::abs(u - centre);
    if (off < halfWidth * 0.3) return {0.55, 0.78, 0.97};
    if (off < halfWidth) return {0.22, 0.50, 0.84};
    return mix({0.93, 0.80, 0.56}, {0.84, 0.66, 0.42}, t);
}

}  // namespace

std::vector<std::uint8_t> drawIcon(int size)
{
    if (size <= 0) return {};
    // Several samples a pixel: smooth edges at 16 pixels as at 256.
    const int samples = std::clamp(128 / size, 3, 8);
    const Colour edge{0.30, 0.15, 0.09};
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Colour sum{0, 0, 0};
            int covered = 0;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    const double u = (x + (sx + 0.5) / samples) / size;
                    const double v = (y + (sy + 0.5) / samples) / size;
                    const double d = tileDistance(u, v);
                    if (d > 0) continue;
                    const Colour c = d > -outline ? edge : scene(u, v);
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                    ++covered;
                }
            }
            std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * size + x) * 4];
            if (covered == 0) continue;  // transparent black
            const double k = 1.0 / covered;
            const auto byte = [](double value) {
                return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
            };
            p[0] = byte(sum.r * k);
            p[1] = byte(sum.g * k);
            p[2] = byte(sum.b * k);
            p[3] = byte(static_cast<double>(covered) / (samples * samples));
        }
    }
    return rgba;
}

bool writeIcons(const std::string& outdir, std::ostream& report, std::ostream& errors)
{
    namespace fs = std::filesystem;
    for (const int size : iconSizes) {
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        const fs::path folder = fs::path(outdir) / name / "apps";
        std::error_code ec;
        fs::create_directories(folder, ec);
        const fs::path file = folder / "arroyo.png";
        if (ec || !platform::writePngRgba(file.string(), size, size, drawIcon(size))) {
            errors << "worldtool: cannot write " << file.string() << "\n";
            return false;
        }
    }
    report << "icon: " << std::size(iconSizes) << " sizes from " << iconSizes[0] << " to "
           << iconSizes[std::size(iconSizes) - 1] << " pixels in " << outdir << "\n";
    return true;
}

}  // namespace tools
