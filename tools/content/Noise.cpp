#include "content/Noise.h"

#include "content/Random.h"

#include <cmath>

namespace tools {

double clamp01(double v) { return v < 0.0 ? 0.0 : v > 1.0 ? 1.0 : v; }

double mix(double a, double b, double t) { return a + (b - a) * t; }

double smoothstep(double e0, double e1, double x)
{
    const double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0 - 2.0 * t);
}

namespace {

double fade(double t) { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); }

std::int64_t wrap(std::int64_t v, int period)
{
    const std::int64_t p = period > 0 ? period : 1;
    return ((v % p) + p) % p;
}

}  // namespace

double valueNoise(double x, double y, int periodX, int periodY, std::uint64_t seed)
{
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const auto ix = static_cast<std::int64_t>(fx);
    const auto iy = static_cast<std::int64_t>(fy);
    const double tx = fade(x - fx);
    const double ty = fade(y - fy);
    const std::int64_t x0 = wrap(ix, periodX), x1 = wrap(ix + 1, periodX);
    const std::int64_t y0 = wrap(iy, periodY), y1 = wrap(iy + 1, periodY);
    const double a = mix(hashUnit(x0, y0, seed), hashUnit(x1, y0, seed), tx);
    const double b = mix(hashUnit(x0, y1, seed), hashUnit(x1, y1, seed), tx);
    return mix(a, b, ty);
}

double fractalNoise(double x, double y, int periodX, int periodY, int octaves, double persistence,
                    std::uint64_t seed)
{
    double sum = 0.0;
    double amplitude = 1.0;
    double total = 0.0;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude *
               valueNoise(x, y, periodX, periodY, seed + static_cast<std::uint64_t>(o) * 7919);
        total += amplitude;
        amplitude *= persistence;
        x *= 2.0;
        y *= 2.0;
        periodX *= 2;
        periodY *= 2;
    }
    return total > 0.0 ? sum / total : 0.0;
}

}  // namespace tools
