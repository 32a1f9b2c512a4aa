#include "worldfile/Trig.h"

#include <cmath>

namespace tools {

double sine(double x)
{
    // Reduce to [-pi, pi], then to [-pi/2, pi/2] with sin(pi - x) = sin(x).
    x -= 2.0 * pi * std::round(x / (2.0 * pi));
    if (x > pi / 2) x = pi - x;
    if (x < -pi / 2) x = -pi - x;
    const double x2 = x * x;
    // Taylor series to x^15: error below 1e-12 on this range.
    double term = x;
    double sum = x;
    for (int n = 1; n <= 7; ++n) {
        term *= -x2 / static_cast<double>((2 * n) * (2 * n + 1));
        sum += term;
    }
    return sum;
}

double cosine(double x) { return sine(x + pi / 2); }

}  // namespace tools
