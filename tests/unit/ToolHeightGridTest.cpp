#include "content/Random.h"
#include "geometry/HeightGrid.h"
#include "import/HeightGridMesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using tools::ImportedMesh;

// A grid mesh as a modelling tool writes one: shared corners, two
// triangles a cell, counter-clockwise seen from above unless `faceDown`.
struct GridShape {
    int cellsX = 12, cellsZ = 9;
    double dx = 0.37, dz = 1.9;
    Vector3 origin{-1000, 0, 40};
    std::function<double(int, int)> height = [](int i, int k) {
        // Not a sum of a function of i and one of k: those make every
        // cell flat.
        return std::sin(0.7 * i) * std::cos(0.4 * k) + 0.1 * i;
    };
    // Per cell: split from its low-x high-z corner to its high-x low-z one
    // (the way terrain is drawn), or along the other diagonal.
    std::function<bool(int, int)> stripSplit = [](int, int) { return true; };
    bool faceDown = false;
};

void addGrid(ImportedMesh& mesh, const GridShape& shape)
{
    const auto first = static_cast<std::uint32_t>(mesh.vertices.size());
    for (int k = 0; k <= shape.cellsZ; ++k) {
        for (int i = 0; i <= shape.cellsX; ++i) {
            Vertex v =
                Vertex::at(shape.origin + Vector3{i * shape.dx, shape.height(i, k), k * shape.dz});
            v.u = i * 0.25;
            v.v = k * 0.5;
            mesh.vertices.push_back(v);
        }
    }
    auto at = [&](int i, int k) {
        return first + static_cast<std::uint32_t>(k * (shape.cellsX + 1) + i);
    };
    auto add = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        mesh.triangles.push_back(shape.faceDown ? std::array{a, c, b} : std::array{a, b, c});
    };
    for (int k = 0; k < shape.cellsZ; ++k) {
        for (int i = 0; i < shape.cellsX; ++i) {
            if (shape.stripSplit(i, k)) {
                add(at(i, k), at(i, k + 1), at(i + 1, k));
                add(at(i, k + 1), at(i + 1, k + 1), at(i + 1, k));
            } else {
                add(at(i, k), at(i + 1, k + 1), at(i + 1, k));
                add(at(i, k), at(i, k + 1), at(i + 1, k + 1));
            }
        }
    }
}

// A box standing on the ground, as walls come in the same mesh.
void addBox(ImportedMesh& mesh, const Vector3& low, const Vector3& size)
{
    const auto first = static_cast<std::uint32_t>(mesh.vertices.size());
    for (int c = 0; c < 8; ++c) {
        mesh.vertices.push_back(
            Vertex::at(low + Vector3{c & 1 ? size.x : 0, c & 2 ? size.y : 0, c & 4 ? size.z : 0}));
    }
    constexpr std::uint32_t faces[6][4] = {{0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4},
                                           {1, 5, 7, 3}, {0, 1, 3, 2}, {4, 6, 7, 5}};
    for (const auto& f : faces) {
        mesh.triangles.push_back({first + f[0], first + f[1], first + f[2]});
        mesh.triangles.push_back({first + f[0], first + f[2], first + f[3]});
    }
}

// Plain reference: the highest crossing of a vertical line through (x, z)
// with any triangle of the mesh, by barycentric weights.
std::optional<double> meshHeight(const ImportedMesh& mesh, double x, double z)
{
    std::optional<double> best;
    for (const auto& t : mesh.triangles) {
        const Vector3 a = mesh.vertices[t[0]].position, b = mesh.vertices[t[1]].position,
                      c = mesh.vertices[t[2]].position;
        const double det = (b.x - a.x) * (c.z - a.z) - (c.x - a.x) * (b.z - a.z);
        if (std::fabs(det) < 1e-12) continue;
        const double wb = ((x - a.x) * (c.z - a.z) - (c.x - a.x) * (z - a.z)) / det;
        const double wc = ((b.x - a.x) * (z - a.z) - (x - a.x) * (b.z - a.z)) / det;
        if (wb < -1e-9 || wc < -1e-9 || wb + wc > 1 + 1e-9) continue;
        const double y = a.y + wb * (b.y - a.y) + wc * (c.y - a.y);
        if (!best || y > *best) best = y;
    }
    return best;
}

HeightGrid gridOf(const tools::HeightFieldRecord& field)
{
    HeightGrid grid;
    grid.columns = field.columns;
    grid.rows = field.rows;
    grid.vertices = field.vertices;
    grid.triangles = field.triangles;
    grid.prepareQueries();
    return grid;
}

struct Case {
    const char* name;
    std::function<void(ImportedMesh&)> build;
    int cells;         // of the terrain taken; 0 for none
    std::size_t kept;  // triangles left in the mesh
};

TEST(ToolHeightGrid, TakesExactlyTheGridsTheTerrainCanDrawAndKeepsTheirSurface)
{
    const GridShape rolling;
    const Case cases[] = {
        {"rolling grid beside a box",
         [&](ImportedMesh& m) {
             addGrid(m, rolling);
             addBox(m, {-990, 0, 45}, {1, 3, 2});
         },
         108, 12},
        {"split the other way",
         [&](ImportedMesh& m) {
             GridShape s = rolling;
             s.stripSplit = [](int, int) { return false; };
             addGrid(m, s);
         },
         0, 216},
        {"flat cells may be split either way",
         [&](ImportedMesh& m) {
             GridShape s = rolling;
             s.height = [](int i, int k) { return i < 5 ? 2.0 : 2.0 + std::sin(i + 0.3 * k); };
             s.stripSplit = [](int i, int k) { return i >= 4 || (i + k) % 2 == 0; };
             addGrid(m, s);
         },
         108, 0},
        {"flat",
         [&](ImportedMesh& m) {
             GridShape s = rolling;
             s.height = [](int i, int k) { return 0.1 * i - 0.2 * k; };
             addGrid(m, s);
         },
         0, 216},
        {"facing down",
         [&](ImportedMesh& m) {
             GridShape s = rolling;
             s.faceDown = true;
             addGrid(m, s);
         },
         0, 216},
        {"a hole",
         [&](ImportedMesh& m) {
             addGrid(m, rolling);
             m.triangles.erase(m.triangles.begin() + 40, m.triangles.begin() + 42);
         },
         0, 214},
        {"too small",
         [&](ImportedMesh& m) {
             GridShape s = rolling;
             s.cellsX = 3;
             s.cellsZ = 3;
             addGrid(m, s);
         },
         0, 18},
        {"a texture seam",
         [&](ImportedMesh& m) {
             addGrid(m, rolling);
             // The corners of one triangle come apart from their neighbours'.
             for (std::uint32_t& corner : m.triangles[50]) {
                 Vertex v = m.vertices[corner];
                 v.u += 0.5;
                 corner = static_cast<std::uint32_t>(m.vertices.size());
                 m.vertices.push_back(v);
             }
         },
         0, 216},
        {"the larger of two patches",
         [&](ImportedMesh& m) {
             addGrid(m, rolling);
             GridShape s = rolling;
             s.cellsX = s.cellsZ = 5;
             s.origin.x += 40 * s.dx;
             addGrid(m, s);
         },
         108, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImportedMesh mesh;
        c.build(mesh);
        const ImportedMesh original = mesh;
        const std::optional<tools::HeightFieldRecord> field =
            tools::takeHeightGrid(mesh, "..\\Textures\\ground.bmp");
        EXPECT_EQ(mesh.triangles.size(), c.kept);
        ASSERT_EQ(field.has_value(), c.cells > 0);
        if (!field) {
            EXPECT_EQ(mesh.triangles, original.triangles);
            continue;
        }
        ASSERT_EQ((field->columns - 1) * (field->rows - 1), c.cells);
        ASSERT_EQ(field->triangles.size(), std::size_t(2 * c.cells));

        // The terrain is the surface the model had: drops anywhere on it
        // meet the height the model's own triangles give.
        const HeightGrid grid = gridOf(*field);
        const Vector3 low = field->vertices.front().position;
        const Vector3 high = field->vertices.back().position;
        tools::Random random(7);
        for (int probe = 0; probe < 2000; ++probe) {
            const double x = random.uniform(low.x, high.x), z = random.uniform(low.z, high.z);
            const std::optional<TraceHit> hit = grid.intersectSegment({x, 50, z}, {x, -50, z});
            const std::optional<double> expected = meshHeight(original, x, z);
            ASSERT_TRUE(hit && expected) << x << " " << z;
            ASSERT_NEAR(hit->point.y, *expected, 1e-9) << x << " " << z;
            ASSERT_GT(hit->plane.b, 0.0);
        }
    }
}

}  // namespace
