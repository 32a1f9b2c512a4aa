#pragma once

#include "bsp/BspCompiler.h"
#include "worldfile/WorldWriter.h"

#include <string>
#include <vector>

namespace tools {

// Collects drawn polygons for a "worldspawn" block. Corners are snapped to
// 1/32 of a unit, so they print briefly and read back exactly; texture
// coordinates are projected on the face's main axis plane, one texture
// repeat per `textureScale` units.
class MeshBuilder {
public:
    // Corners counter-clockwise seen from the side the face shows (its
    // normal by the right-hand rule). A face that is not planar after
    // snapping becomes a fan of triangles.
    void addPolygon(const std::vector<Vector3>& corners, const std::string& texture,
                    double textureScale);

    // The same with the corners in either order: they are turned round when
    // their normal points away from `outward`.
    void addFacing(std::vector<Vector3> corners, const Vector3& outward, const std::string& texture,
                   double textureScale);

    // A triangle or planar polygon with its own texture coordinates (one
    // (u, v) per corner, in the Vector3's x and y), for surfaces whose
    // pattern must follow the world, such as rock strata.
    void addMapped(const std::vector<Vector3>& corners, const std::vector<Vector3>& uv,
                   const std::string& texture);

    // An axis-aligned box; the bottom face is left out when `withBottom` is false.
    void addBox(const Vector3& lo, const Vector3& hi, const std::string& texture,
                double textureScale, bool withBottom = false);

    // An upright prism with `sides` faces round (centre.x, centre.z), from
    // y0 to y1, with a top face.
    void addPrism(const Vector3& centre, double radius, int sides, double y0, double y1,
                  const std::string& texture, double textureScale, double turn = 0.0);

    std::vector<DrawnPolygon>& polygons() { return polygons_; }
    const std::vector<DrawnPolygon>& polygons() const { return polygons_; }

private:
    void addPlanar(const std::vector<Vector3>& corners, const std::string& texture,
                   double textureScale, const std::vector<Vector3>* uv = nullptr);

    std::vector<DrawnPolygon> polygons_;
};

Vector3 snapped(const Vector3& v);

// The corners and face normals of drawn polygons, as the BSP compiler takes them.
std::vector<SourcePolygon> compilerSources(const std::vector<DrawnPolygon>& polygons);

}  // namespace tools
