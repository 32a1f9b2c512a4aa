#pragma once

#include <cmath>

// Floats for compact query data, rounded outward from the double they stand
// for: a bound made of them only grows.
inline float roundedDown(double v)
{
    const auto f = static_cast<float>(v);
    return static_cast<double>(f) > v ? std::nextafter(f, -HUGE_VALF) : f;
}

inline float roundedUp(double v)
{
    const auto f = static_cast<float>(v);
    return static_cast<double>(f) < v ? std::nextafter(f, HUGE_VALF) : f;
}
