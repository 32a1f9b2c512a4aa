#pragma once

// Small builders for world-file text and bitmap files, shared by the world
// tests (logic and GL).

#include "math/Vector3.h"

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace worldtest {

struct Colour {
    double r = 1, g = 1, b = 1;
};

// A convex polygon record: texture word, face normal, corners with a colour.
inline std::string polygonRecord(const std::string& texture, const Vector3& normal,
                                 const std::vector<Vector3>& corners, Colour colour = {})
{
    std::ostringstream s;
    s << texture << ' ' << normal.x << ' ' << normal.y << ' ' << normal.z << ' ' << corners.size()
      << '\n';
    const double uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const Vector3& c = corners[i];
        s << "  " << c.x << ' ' << c.y << ' ' << c.z << ' ' << uv[i % 4][0] << ' ' << uv[i % 4][1]
          << ' ' << normal.x << ' ' << normal.y << ' ' << normal.z << ' ' << colour.r << ' '
          << colour.g << ' ' << colour.b << '\n';
    }
    return s.str();
}

// A collision polygon record for a convex polygon with the given unit
// normal: its plane, then per corner an inward edge plane and the corner.
inline std::string collisionRecord(const Vector3& normal, const std::vector<Vector3>& corners)
{
    std::ostringstream s;
    const double d = -normal.dot(corners[0]);
    s << normal.x << ' ' << normal.y << ' ' << normal.z << ' ' << d << ' ' << corners.size() << '\n';
    Vector3 centre;
    for (const Vector3& c : corners) centre += c;
    centre /= static_cast<double>(corners.size());
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const Vector3& p = corners[i];
        const Vector3& q = corners[(i + 1) % corners.size()];
        Vector3 e = normal.cross(q - p);
        e /= e.length();
        if (e.dot(centre - p) < 0) e = e.negated();
        s << "  " << e.x << ' ' << e.y << ' ' << e.z << ' ' << -e.dot(p) << ' ' << p.x << ' ' << p.y
          << ' ' << p.z << '\n';
    }
    return s.str();
}

// The square floor from (-size, 0, -size) to (size, 0, size), facing up,
// counter-clockwise seen from above.
inline std::vector<Vector3> floorCorners(double size, double y = 0.0)
{
    return {{-size, y, size}, {size, y, size}, {size, y, -size}, {-size, y, -size}};
}

// A 24-bit uncompressed bitmap; pixel(x, y) gives (r, g, b) with y = 0 the
// bottom row.
template <typename PixelFn>
std::string bitmap24(int width, int height, PixelFn pixel)
{
    const int stride = (width * 3 + 3) / 4 * 4;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(stride * height);
    std::string out;
    auto put16 = [&out](std::uint32_t v) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>((v >> 8) & 0xFF);
    };
    auto put32 = [&put16](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    out += "BM";
    put32(54 + imageSize);
    put32(0);
    put32(54);
    put32(40);
    put32(static_cast<std::uint32_t>(width));
    put32(static_cast<std::uint32_t>(height));
    put16(1);
    put16(24);
    put32(0);
    put32(imageSize);
    put32(2835);
    put32(2835);
    put32(0);
    put32(0);
    for (int y = 0; y < height; ++y) {
        int written = 0;
        for (int x = 0; x < width; ++x) {
            const auto [r, g, b] = pixel(x, y);
            out += static_cast<char>(b);
            out += static_cast<char>(g);
            out += static_cast<char>(r);
            written += 3;
        }
        for (; written < stride; ++written) out += '\0';
    }
    return out;
}

struct Rgb {
    int r, g, b;
};

inline std::string solidBitmap(int width, int height, Rgb colour)
{
    return bitmap24(width, height, [colour](int, int) { return colour; });
}

// Splits a text into its tokens.
inline std::vector<std::string> tokens(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> out;
    std::string t;
    while (in >> t) out.push_back(t);
    return out;
}

inline std::string join(const std::vector<std::string>& parts, std::size_t count)
{
    std::string out;
    for (std::size_t i = 0; i < count && i < parts.size(); ++i) {
        if (i) out += ' ';
        out += parts[i];
    }
    return out;
}

}  // namespace worldtest
