#pragma once

#include <string>

namespace tools {

// The shortest text that reads back as exactly the same double, so a
// generated file and the geometry compiled from it agree to the last bit.
void appendNumber(std::string& out, double value);

// Rounds to a multiple of 1/2^bits: exact in binary, so shapes built from
// rounded corners stay exactly planar and print briefly.
double snapBinary(double value, int bits);

// Rounds to a number of decimals (for colours and texture coordinates,
// which print more briefly that way).
double roundDecimals(double value, int decimals);

// ASCII letters in lower case, whatever the locale: names in world and model
// files compare without regard to case.
std::string lowerCase(std::string text);

}  // namespace tools
