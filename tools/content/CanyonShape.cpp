#include "content/CanyonShape.h"

#include "content/Noise.h"

#include <algorithm>
#include <cmath>

namespace tools::canyon {

double centreX(double z)
{
    return 20.0 * sine(2 * pi * z / 320.0 + 0.4) + 7.0 * sine(2 * pi * z / 140.0 + 1.3);
}

double halfWidth(double z) { return 19.0 + 3.5 * sine(2 * pi * z / 170.0 + 0.5); }

double floorHeight(double x, double z)
{
    const double dunes =
        fractalNoise((x + 500.0) / 28.0, (z + 500.0) / 28.0, 1 << 20, 1 << 20, 3, 0.45, 301);
    return 0.012 * z + 1.6 * (dunes - 0.5);
}

double plateauHeight(double x, double z)
{
    const double n =
        fractalNoise((x + 500.0) / 40.0, (z + 500.0) / 40.0, 1 << 20, 1 << 20, 4, 0.5, 302);
    return 30.0 + 0.02 * z + 10.0 * (n - 0.5);
}

double outside(double x, double z)
{
    const double across = std::fabs(x - centreX(z)) - halfWidth(z);
    const double along = std::fabs(z) - openEnd;
    return std::max(across, along);
}

double terrainHeight(double x, double z)
{
    const double s = outside(x, z);
    return mix(floorHeight(x, z), plateauHeight(x, z), smoothstep(1.0, 7.0, s));
}

}  // namespace tools::canyon
