// GLUT's solid sphere and solid and wire teapot for the browser, whose GLUT
// has none of them: our own meshes, built once, drawn in immediate mode
// like the rest of the engine. The teapot is a lathed body and lid with a
// spout and a handle swept along curves, about GLUT's size and placement
// (body radius `size`, spout along +x, centred in height) and, like GLUT's,
// wound clockwise.

#include <GL/freeglut.h>

#include <array>
#include <cmath>
#include <vector>

namespace {

constexpr double pi = 3.14159265358979323846;

struct Point {
    double x, y, z;
};

Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Point operator*(Point a, double s) { return {a.x * s, a.y * s, a.z * s}; }
Point cross(Point a, Point b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Point unit(Point a)
{
    const double length = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    return length > 0 ? a * (1.0 / length) : Point{0, 1, 0};
}

struct MeshVertex {
    Point position;
    Point normal;
};

// A grid of rings x segments vertices, closed around; drawn as quads.
struct Grid {
    int rings = 0;
    int segments = 0;
    std::vector<MeshVertex> vertices;
    const MeshVertex& at(int ring, int segment) const
    {
        return vertices[static_cast<std::size_t>(ring * segments + segment % segments)];
    }
};

// The teapot's outline in its own units (radius, height), bottom centre to
// knob, turned about the vertical axis.
constexpr std::array<std::array<double, 2>, 19> teapotOutline = {{
    {0.00, 0.00}, {1.40, 0.00}, {1.75, 0.15}, {1.95, 0.50}, {2.00, 0.95},
    {1.95, 1.40}, {1.78, 1.85}, {1.55, 2.15}, {1.42, 2.25}, {1.40, 2.32},
    {1.20, 2.40}, {0.80, 2.48}, {0.35, 2.58}, {0.18, 2.70}, {0.30, 2.85},
    {0.38, 2.98}, {0.28, 3.10}, {0.10, 3.15}, {0.00, 3.15},
}};

Grid lathe(int segments)
{
    Grid grid;
    grid.rings = static_cast<int>(teapotOutline.size());
    grid.segments = segments;
    for (int ring = 0; ring < grid.rings; ++ring) {
        const auto& here = teapotOutline[static_cast<std::size_t>(ring)];
        const auto& before = teapotOutline[static_cast<std::size_t>(ring > 0 ? ring - 1 : 0)];
        const auto& after =
            teapotOutline[static_cast<std::size_t>(ring + 1 < grid.rings ? ring + 1 : ring)];
        // The outline's normal, outward: the tangent turned a quarter.
        const double dr = after[0] - before[0];
        const double dh = after[1] - before[1];
        for (int s = 0; s < segments; ++s) {
            const double a = 2 * pi * s / segments;
            const Point radial{std::cos(a), 0, -std::sin(a)};
            grid.vertices.push_back({{radial.x * here[0], here[1], radial.z * here[0]},
                                     unit(radial * dh + Point{0, -dr, 0})});
        }
    }
    return grid;
}

// A tube of the given radius swept along a cubic curve.
Grid sweep(const std::array<Point, 4>& c, double startRadius, double endRadius, int rings,
           int segments)
{
    Grid grid;
    grid.rings = rings;
    grid.segments = segments;
    for (int ring = 0; ring < rings; ++ring) {
        const double t = static_cast<double>(ring) / (rings - 1);
        const double u = 1 - t;
        const Point centre = c[0] * (u * u * u) + c[1] * (3 * u * u * t) + c[2] * (3 * u * t * t) +
                             c[3] * (t * t * t);
        const Point tangent = unit((c[1] - c[0]) * (3 * u * u) + (c[2] - c[1]) * (6 * u * t) +
                                   (c[3] - c[2]) * (3 * t * t));
        // The curves lie in the x-y plane, so z is always across them.
        const Point across{0, 0, 1};
        const Point up = unit(cross(across, tangent));
        const double radius = startRadius + (endRadius - startRadius) * t;
        for (int s = 0; s < segments; ++s) {
            const double a = 2 * pi * s / segments;
            const Point normal = up * std::cos(a) + across * std::sin(a);
            grid.vertices.push_back({centre + normal * radius, normal});
        }
    }
    return grid;
}

const std::vector<Grid>& teapotParts()
{
    static const std::vector<Grid> parts = [] {
        std::vector<Grid> built;
        built.push_back(lathe(24));
        built.push_back(
            sweep({{{1.70, 0.70, 0}, {2.80, 0.80, 0}, {2.90, 2.10, 0}, {3.40, 2.40, 0}}}, 0.45,
                  0.15, 10, 10));
        built.push_back(
            sweep({{{-1.80, 2.00, 0}, {-3.30, 2.30, 0}, {-3.30, 0.40, 0}, {-1.75, 0.75, 0}}}, 0.14,
                  0.14, 12, 8));
        return built;
    }();
    return parts;
}

void vertex(const MeshVertex& v)
{
    glNormal3f(static_cast<GLfloat>(v.normal.x), static_cast<GLfloat>(v.normal.y),
               static_cast<GLfloat>(v.normal.z));
    glVertex3f(static_cast<GLfloat>(v.position.x), static_cast<GLfloat>(v.position.y),
               static_cast<GLfloat>(v.position.z));
}

// Outward faces, in the order asked: GLUT's teapot is wound clockwise, its
// sphere counter-clockwise.
void drawSolid(const Grid& grid, bool clockwise)
{
    glBegin(GL_QUADS);
    for (int ring = 0; ring + 1 < grid.rings; ++ring) {
        for (int s = 0; s < grid.segments; ++s) {
            const MeshVertex* quad[4] = {&grid.at(ring, s), &grid.at(ring, s + 1),
                                         &grid.at(ring + 1, s + 1), &grid.at(ring + 1, s)};
            if (clockwise) {
                for (int i = 3; i >= 0; --i) vertex(*quad[i]);
            } else {
                for (const MeshVertex* v : quad) vertex(*v);
            }
        }
    }
    glEnd();
}

void drawWire(const Grid& grid)
{
    glBegin(GL_LINES);
    for (int ring = 0; ring < grid.rings; ++ring) {
        for (int s = 0; s < grid.segments; ++s) {
            vertex(grid.at(ring, s));
            vertex(grid.at(ring, s + 1));
            if (ring + 1 < grid.rings) {
                vertex(grid.at(ring, s));
                vertex(grid.at(ring + 1, s));
            }
        }
    }
    glEnd();
}

void drawTeapot(GLdouble size, bool solid)
{
    glPushMatrix();
    // Its own units to GLUT's: half size per unit, centred in height.
    glScaled(0.5 * size, 0.5 * size, 0.5 * size);
    glTranslated(0, -1.5, 0);
    for (const Grid& part : teapotParts()) {
        if (solid) drawSolid(part, true);
        else drawWire(part);
    }
    glPopMatrix();
}

}  // namespace

extern "C" {

void glutSolidSphere(GLdouble radius, GLint slices, GLint stacks)
{
    if (slices < 3 || stacks < 2) return;
    Grid grid;
    grid.rings = stacks + 1;
    grid.segments = slices;
    // Small (a few hundred vertices) and rarely drawn: built on the stack of
    // this call would allocate per frame, so the last one is kept.
    static std::vector<MeshVertex> kept;
    static GLdouble keptRadius = -1;
    static GLint keptSlices = 0, keptStacks = 0;
    if (radius != keptRadius || slices != keptSlices || stacks != keptStacks) {
        kept.clear();
        for (int ring = 0; ring <= stacks; ++ring) {
            const double polar = pi * ring / stacks;
            for (int s = 0; s < slices; ++s) {
                const double a = 2 * pi * s / slices;
                const Point normal{std::sin(polar) * std::cos(a), std::cos(polar),
                                   -std::sin(polar) * std::sin(a)};
                kept.push_back({normal * radius, normal});
            }
        }
        keptRadius = radius;
        keptSlices = slices;
        keptStacks = stacks;
    }
    grid.vertices.swap(kept);
    drawSolid(grid, false);
    grid.vertices.swap(kept);
}

void glutSolidTeapot(GLdouble size) { drawTeapot(size, true); }

void glutWireTeapot(GLdouble size) { drawTeapot(size, false); }

}  // extern "C"
