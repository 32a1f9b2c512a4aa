#pragma once

namespace tools {

// Sine and cosine from + and * only: the standard library's may differ in
// the last bit between versions, and generated content must not.
double sine(double radians);
double cosine(double radians);

constexpr double pi = 3.14159265358979323846;

}  // namespace tools
