#pragma once

// Small builders for world-file text and bitmap files, shared by the world
// tests (logic and GL).

#include "GeometryTestSupport.h"
#include "ImageTestFiles.h"

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
    const CollisionPolygon polygon = geometry_test::convexPolygonWithNormal(corners, normal);
    const Plane& plane = polygon.plane;
    std::ostringstream s;
    s << plane.a << ' ' << plane.b << ' ' << plane.c << ' ' << plane.d << ' ' << corners.size()
      << '\n';
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const Plane& e = polygon.edgePlanes[i];
        const Vertex& p = polygon.vertices[i];
        s << "  " << e.a << ' ' << e.b << ' ' << e.c << ' ' << e.d << ' ' << p.position.x << ' '
          << p.position.y << ' ' << p.position.z << '\n';
    }
    return s.str();
}

// The square floor from (-size, 0, -size) to (size, 0, size), facing up,
// counter-clockwise seen from above.
inline std::vector<Vector3> floorCorners(double size, double y = 0.0)
{
    return {{-size, y, size}, {size, y, size}, {size, y, -size}, {-size, y, -size}};
}

struct Rgb {
    int r, g, b;
};

// A 24-bit uncompressed bitmap with zero row padding; pixel(x, y) gives
// (r, g, b) with y = 0 the bottom row.
template <typename PixelFn>
std::string bitmap24(int width, int height, PixelFn pixel)
{
    imagetest::Bmp bmp;
    bmp.width = width;
    bmp.height = height;
    bmp.padding = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto [r, g, b] = pixel(x, y);
            bmp.pixels.insert(bmp.pixels.end(),
                              {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
                               static_cast<std::uint8_t>(r)});
        }
    }
    return imagetest::bmpFile(bmp);
}

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
