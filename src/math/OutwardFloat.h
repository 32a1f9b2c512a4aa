#pragma once

#include <bit>
#include <cstdint>

// Floats for compact query data, rounded outward from the double they stand
// for: a bound made of them only grows.
//
// The step to the neighbouring float is taken on the bits, without
// branches, rather than with std::nextafter: a library call, and a branch
// that goes either way at random, showed in the cost of loading a world
// (every query box is rounded this way). The results are the same.
namespace outward {
// The float `towards` the given direction (-1 or +1) from f, which is not
// NaN and not already infinite in that direction.
inline std::uint32_t stepBits(float f, std::uint32_t bits, std::uint32_t towardsNegative)
{
    // Away from zero the magnitude grows by one unit, towards zero it
    // shrinks; from either zero the step is to the smallest float of the
    // direction's sign.
    const std::uint32_t sign = bits >> 31;
    const std::uint32_t stepped = sign == towardsNegative ? bits + 1 : bits - 1;
    return f == 0.0f ? (towardsNegative << 31) | 1u : stepped;
}

// `stepped` where `take` holds, else `bits`, by masking (a select the
// compiler would turn back into a branch).
inline float choose(bool take, std::uint32_t stepped, std::uint32_t bits)
{
    const std::uint32_t mask = 0u - static_cast<std::uint32_t>(take);
    return std::bit_cast<float>(bits ^ ((bits ^ stepped) & mask));
}
}  // namespace outward

inline float roundedDown(double v)
{
    const auto f = static_cast<float>(v);
    const auto bits = std::bit_cast<std::uint32_t>(f);
    const std::uint32_t down = outward::stepBits(f, bits, 1);
    return outward::choose(static_cast<double>(f) > v, down, bits);
}

inline float roundedUp(double v)
{
    const auto f = static_cast<float>(v);
    const auto bits = std::bit_cast<std::uint32_t>(f);
    const std::uint32_t up = outward::stepBits(f, bits, 0);
    return outward::choose(static_cast<double>(f) < v, up, bits);
}
