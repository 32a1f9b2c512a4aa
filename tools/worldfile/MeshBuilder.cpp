#include "worldfile/MeshBuilder.h"

#include "worldfile/Format.h"
#include "worldfile/Trig.h"

#include <algorithm>
#include <cmath>

namespace tools {

namespace {

constexpr int snapBits = 5;

Vector3 newellNormal(const std::vector<Vector3>& c)
{
    Vector3 n;
    for (std::size_t i = 1; i + 1 < c.size(); ++i) n += (c[i] - c[0]).cross(c[i + 1] - c[0]);
    const double length = n.length();
    return length > 0.0 ? n / length : n;
}

}  // namespace

Vector3 snapped(const Vector3& v)
{
    return {snapBinary(v.x, snapBits), snapBinary(v.y, snapBits), snapBinary(v.z, snapBits)};
}

std::vector<SourcePolygon> compilerSources(const std::vector<DrawnPolygon>& polygons)
{
    std::vector<SourcePolygon> sources;
    sources.reserve(polygons.size());
    for (const DrawnPolygon& p : polygons) {
        SourcePolygon s;
        s.faceNormal = p.normal;
        for (const Vertex& v : p.vertices) s.corners.push_back(v.position);
        sources.push_back(std::move(s));
    }
    return sources;
}

void MeshBuilder::addPolygon(const std::vector<Vector3>& corners, const std::string& texture,
                             double textureScale)
{
    std::vector<Vector3> c;
    c.reserve(corners.size());
    for (const Vector3& v : corners) c.push_back(snapped(v));
    const Vector3 n = newellNormal(c);
    double offPlane = 0.0;
    for (const Vector3& v : c) offPlane = std::max(offPlane, std::fabs(n.dot(v - c[0])));
    if (offPlane <= 1e-9 || c.size() == 3) {
        addPlanar(c, texture, textureScale);
        return;
    }
    for (std::size_t i = 1; i + 1 < c.size(); ++i)
        addPlanar({c[0], c[i], c[i + 1]}, texture, textureScale);
}

void MeshBuilder::addFacing(std::vector<Vector3> corners, const Vector3& outward,
                            const std::string& texture, double textureScale)
{
    if (newellNormal(corners).dot(outward) < 0.0) std::reverse(corners.begin(), corners.end());
    addPolygon(corners, texture, textureScale);
}

void MeshBuilder::addMapped(const std::vector<Vector3>& corners, const std::vector<Vector3>& uv,
                            const std::string& texture)
{
    std::vector<Vector3> c;
    c.reserve(corners.size());
    for (const Vector3& v : corners) c.push_back(snapped(v));
    addPlanar(c, texture, 1.0, &uv);
}

void MeshBuilder::addPlanar(const std::vector<Vector3>& c, const std::string& texture,
                            double textureScale, const std::vector<Vector3>* uv)
{
    DrawnPolygon p;
    p.texture = texture;
    const Vector3 n = newellNormal(c);
    p.normal = {roundDecimals(n.x, 4), roundDecimals(n.y, 4), roundDecimals(n.z, 4)};
    const double ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
    for (std::size_t i = 0; i < c.size(); ++i) {
        const Vector3& v = c[i];
        Vertex vertex;
        vertex.position.x = v.x;
        vertex.position.y = v.y;
        vertex.position.z = v.z;
        vertex.normal.x = p.normal.x;
        vertex.normal.y = p.normal.y;
        vertex.normal.z = p.normal.z;
        double u = 0.0, t = 0.0;
        if (ay >= ax && ay >= az) {
            u = v.x;
            t = -v.z;
        } else if (ax >= az) {
            u = n.x > 0 ? -v.z : v.z;
            t = v.y;
        } else {
            u = n.z > 0 ? v.x : -v.x;
            t = v.y;
        }
        if (uv && i < uv->size()) {
            u = (*uv)[i].x;
            t = (*uv)[i].y;
        }
        vertex.u = roundDecimals(u / textureScale, 3);
        vertex.v = roundDecimals(t / textureScale, 3);
        p.vertices.push_back(vertex);
    }
    polygons_.push_back(std::move(p));
}

void MeshBuilder::addBox(const Vector3& lo, const Vector3& hi, const std::string& texture,
                         double textureScale, bool withBottom)
{
    const double x0 = lo.x, y0 = lo.y, z0 = lo.z, x1 = hi.x, y1 = hi.y, z1 = hi.z;
    addPolygon({{x1, y0, z1}, {x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}}, texture,
               textureScale);  // +x
    addPolygon({{x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}}, texture,
               textureScale);  // -x
    addPolygon({{x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}, {x0, y1, z0}}, texture,
               textureScale);  // +y
    addPolygon({{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}}, texture,
               textureScale);  // +z
    addPolygon({{x1, y0, z0}, {x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}}, texture,
               textureScale);  // -z
    if (withBottom) {
        addPolygon({{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}}, texture, textureScale);
    }
}

void MeshBuilder::addPrism(const Vector3& centre, double radius, int sides, double y0, double y1,
                           const std::string& texture, double textureScale, double turn)
{
    std::vector<Vector3> ring;
    for (int k = 0; k < sides; ++k) {
        // Counter-clockwise seen from above (+y): angle runs from +x towards -z.
        const double a = turn + 2 * pi * k / sides;
        ring.push_back({centre.x + radius * cosine(a), 0.0, centre.z - radius * sine(a)});
    }
    std::vector<Vector3> top;
    for (int k = 0; k < sides; ++k) {
        const Vector3& p = ring[static_cast<std::size_t>(k)];
        const Vector3& q = ring[static_cast<std::size_t>((k + 1) % sides)];
        addPolygon({{p.x, y0, p.z}, {q.x, y0, q.z}, {q.x, y1, q.z}, {p.x, y1, p.z}}, texture,
                   textureScale);
        top.push_back({p.x, y1, p.z});
    }
    addPolygon(top, texture, textureScale);
}

}  // namespace tools
