#include "content/Drone.h"

#include "content/Canyon.h"

#include <array>

namespace tools {

namespace {

// Regions of the drone texture, (u0, v0) to (u1, v1).
struct Region {
    double u0, v0, u1, v1;
};
constexpr Region panel{0.0, 0.0, 0.5, 0.5};    // teal plating
constexpr Region visor{0.5, 0.5, 1.0, 1.0};    // dark glass with two red eyes
constexpr Region stripes{0.5, 0.0, 1.0, 0.5};  // yellow and black
constexpr Region grille{0.0, 0.5, 0.5, 1.0};   // dark grille with a beacon glow

DrawnPolygon face(const std::array<Vector3, 4>& corners, const Vector3& normal, const Region& r)
{
    DrawnPolygon p;
    p.texture = texture::drone;
    p.normal = normal;
    // Bottom-left, bottom-right, top-right, top-left as seen from outside.
    const double uv[4][2] = {{r.u0, r.v0}, {r.u1, r.v0}, {r.u1, r.v1}, {r.u0, r.v1}};
    for (int k = 0; k < 4; ++k) {
        Vertex v;
        v.position.x = corners[k].x, v.position.y = corners[k].y, v.position.z = corners[k].z;
        v.normal.x = normal.x, v.normal.y = normal.y, v.normal.z = normal.z;
        v.u = uv[k][0], v.v = uv[k][1];
        p.vertices.push_back(v);
    }
    return p;
}

// A box's faces, counter-clockwise seen from outside; `front` maps the -z
// face, `rest` the others. The bottom is left out when asked.
void addBox(std::vector<DrawnPolygon>& out, const Vector3& lo, const Vector3& hi,
            const Region& front, const Region& rest, bool bottom = true)
{
    const double x0 = lo.x, y0 = lo.y, z0 = lo.z, x1 = hi.x, y1 = hi.y, z1 = hi.z;
    out.push_back(
        face({{{x1, y0, z0}, {x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}}}, {0, 0, -1}, front));
    out.push_back(
        face({{{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}}}, {0, 0, 1}, rest));
    out.push_back(
        face({{{x1, y0, z1}, {x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}}}, {1, 0, 0}, rest));
    out.push_back(
        face({{{x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}}}, {-1, 0, 0}, rest));
    out.push_back(
        face({{{x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}, {x0, y1, z0}}}, {0, 1, 0}, rest));
    if (bottom) {
        out.push_back(
            face({{{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}}}, {0, -1, 0}, rest));
    }
}

// A triangle with its outward normal, mapped onto a region's lower edge and top middle.
DrawnPolygon triangle(const Vector3& a, const Vector3& b, const Vector3& c, const Region& r,
                      const std::string& textureName)
{
    DrawnPolygon p;
    p.texture = textureName;
    Vector3 n = (b - a).cross(c - a);
    n /= n.length();
    p.normal = n;
    const double uv[3][2] = {{r.u0, r.v0}, {r.u1, r.v0}, {(r.u0 + r.u1) / 2, r.v1}};
    const Vector3 corners[3] = {a, b, c};
    for (int k = 0; k < 3; ++k) {
        Vertex v;
        v.position.x = corners[k].x, v.position.y = corners[k].y, v.position.z = corners[k].z;
        v.normal.x = n.x, v.normal.y = n.y, v.normal.z = n.z;
        v.u = uv[k][0], v.v = uv[k][1];
        p.vertices.push_back(v);
    }
    return p;
}

}  // namespace

std::vector<DrawnPolygon> droneMesh()
{
    std::vector<DrawnPolygon> mesh;
    addBox(mesh, {-0.5, -0.4, -0.35}, {0.5, 0.4, 0.35}, panel, panel);              // torso
    addBox(mesh, {-0.35, 0.45, -0.3}, {0.35, 0.95, 0.3}, visor, panel);             // head
    addBox(mesh, {-0.78, -0.3, -0.15}, {-0.55, 0.35, 0.15}, stripes, stripes);      // left arm
    addBox(mesh, {0.55, -0.3, -0.15}, {0.78, 0.35, 0.15}, stripes, stripes);        // right arm
    addBox(mesh, {-0.04, 0.95, -0.04}, {0.04, 1.25, 0.04}, grille, grille, false);  // antenna
    addBox(mesh, {-0.1, 1.25, -0.1}, {0.1, 1.45, 0.1}, visor, visor);               // beacon
    // The thruster: a pyramid pointing down under the torso.
    const Vector3 tip{0, -droneDepth, 0};
    const Vector3 base[4] = {
        {-0.3, -0.4, -0.25}, {0.3, -0.4, -0.25}, {0.3, -0.4, 0.25}, {-0.3, -0.4, 0.25}};
    for (int k = 0; k < 4; ++k) {
        // Counter-clockwise seen from outside (below and around).
        mesh.push_back(triangle(base[k], base[(k + 1) % 4], tip, grille, texture::drone));
    }
    return mesh;
}

std::vector<DrawnPolygon> crystalMesh(double radius, const std::string& textureName)
{
    std::vector<DrawnPolygon> mesh;
    const Vector3 top{0, radius * 1.4, 0}, bottom{0, -radius * 1.4, 0};
    const Vector3 ring[4] = {{radius, 0, 0}, {0, 0, -radius}, {-radius, 0, 0}, {0, 0, radius}};
    const Region whole{0, 0, 1, 1};
    for (int k = 0; k < 4; ++k) {
        const Vector3& a = ring[k];
        const Vector3& b = ring[(k + 1) % 4];
        mesh.push_back(triangle(a, b, top, whole, textureName));
        mesh.push_back(triangle(b, a, bottom, whole, textureName));
    }
    return mesh;
}

}  // namespace tools
