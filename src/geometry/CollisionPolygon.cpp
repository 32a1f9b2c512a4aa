#include "geometry/CollisionPolygon.h"

#include <charconv>
#include <initializer_list>

namespace {
// An edge plane and a corner: a b c d x y z.
constexpr int tokensPerCorner = 7;

bool readPlane(TokenReader& in, Plane& plane)
{
    return in.readDouble(plane.a) && in.readDouble(plane.b) && in.readDouble(plane.c) &&
           in.readDouble(plane.d);
}

void append(std::string& out, double value)
{
    // The shortest text that reads back as the same double: exact, brief,
    // the same in every locale, and quick for the large trees of imported models.
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    out.append(text, written.ptr);
}

// The values separated by single spaces.
void appendValues(std::string& out, std::initializer_list<double> values)
{
    const char* separator = "";
    for (double value : values) {
        out += separator;
        append(out, value);
        separator = " ";
    }
}

void appendPlane(std::string& out, const Plane& p) { appendValues(out, {p.a, p.b, p.c, p.d}); }
}  // namespace

std::optional<CollisionPolygon> readCollisionPolygon(TokenReader& in)
{
    CollisionPolygon polygon;
    if (!readPlane(in, polygon.plane)) return std::nullopt;
    int count = 0;
    if (!in.readCount(count, tokensPerCorner)) return std::nullopt;
    polygon.edgePlanes.resize(static_cast<std::size_t>(count));
    polygon.vertices.resize(static_cast<std::size_t>(count));
    for (std::size_t k = 0; k < polygon.edgePlanes.size(); ++k) {
        TokenReader::Scope scope(in, "corner", static_cast<long>(k));
        Vertex& corner = polygon.vertices[k];
        if (!readPlane(in, polygon.edgePlanes[k]) || !in.readDouble(corner.position.x) ||
            !in.readDouble(corner.position.y) || !in.readDouble(corner.position.z)) {
            return std::nullopt;
        }
    }
    return polygon;
}

void writeCollisionPolygon(std::string& out, const CollisionPolygon& polygon)
{
    appendPlane(out, polygon.plane);
    out += '\n';
    out += std::to_string(polygon.edgePlanes.size());
    out += '\n';
    for (std::size_t k = 0; k < polygon.edgePlanes.size(); ++k) {
        // A polygon built in code may have fewer corners than edge planes;
        // the record needs one corner per edge plane.
        const Vertex corner = k < polygon.vertices.size() ? polygon.vertices[k] : Vertex{};
        out += "  ";
        appendPlane(out, polygon.edgePlanes[k]);
        out += "  ";
        appendValues(out, {corner.position.x, corner.position.y, corner.position.z});
        out += '\n';
    }
}
