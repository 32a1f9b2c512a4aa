#include "worldfile/Format.h"

#include <charconv>
#include <cmath>

namespace tools {

void appendNumber(std::string& out, double value)
{
    if (value == 0.0) value = 0.0;  // no "-0"
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

double snapBinary(double value, int bits)
{
    const double scale = std::ldexp(1.0, bits);
    // Adding zero turns -0 into 0, which prints the same from every writer.
    return std::round(value * scale) / scale + 0.0;
}

double roundDecimals(double value, int decimals)
{
    double scale = 1.0;
    for (int i = 0; i < decimals; ++i) scale *= 10.0;
    return std::round(value * scale) / scale + 0.0;
}

std::string lowerCase(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace tools
