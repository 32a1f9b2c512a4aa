#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

// Floats for compact query data, rounded outward from the double they stand
// for: a bound made of them only grows.
//
// The step to the neighbouring float is taken on the bits rather than with
// std::nextafter, a library call that showed in the cost of loading a world
// (every query box is rounded this way); the results are the same.
namespace outward {
// The next float towards -infinity from f (not NaN, not -infinity).
inline float below(float f)
{
    if (f == 0.0f) return -std::numeric_limits<float>::denorm_min();
    const auto bits = std::bit_cast<std::uint32_t>(f);
    return std::bit_cast<float>(f > 0.0f ? bits - 1 : bits + 1);
}

// The next float towards +infinity from f (not NaN, not +infinity).
inline float above(float f)
{
    if (f == 0.0f) return std::numeric_limits<float>::denorm_min();
    const auto bits = std::bit_cast<std::uint32_t>(f);
    return std::bit_cast<float>(f > 0.0f ? bits + 1 : bits - 1);
}
}  // namespace outward

inline float roundedDown(double v)
{
    const auto f = static_cast<float>(v);
    return static_cast<double>(f) > v ? outward::below(f) : f;
}

inline float roundedUp(double v)
{
    const auto f = static_cast<float>(v);
    return static_cast<double>(f) < v ? outward::above(f) : f;
}
