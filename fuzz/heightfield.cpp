// The HeightField record: refused, or a grid whose lists have the sizes
// its counts promise and whose segment queries finish; on a small grid, the
// walk answers what the plain cell order answers, bit for bit, on segments
// through its corners.
#include "FuzzSupport.h"

#include "entities/HeightField.h"
#include "support/PlainCellOrder.h"
#include "support/SameHit.h"
#include "textures/TextureCache.h"

#include <cmath>
#include <cstdint>

namespace {

// Segments between grid corners (and a hair beside them), each end on the
// grid or one cell outside it, so the plain order's rectangle stays small.
void compareWithPlainOrder(const HeightGrid& field, std::uint64_t seed)
{
    const Vector3& o = field.vertices[0].position;
    const Vector3& e = field.vertices[static_cast<std::size_t>(field.columns - 1)].position;
    const Vector3& g =
        field.vertices[static_cast<std::size_t>((field.rows - 1) * field.columns)].position;
    const double dx = (e.x - o.x) / (field.columns - 1), dz = (g.z - o.z) / (field.rows - 1);
    if (!std::isfinite(dx) || !std::isfinite(dz) || !std::isfinite(o.x) || !std::isfinite(o.z))
        return;
    auto next = [&seed](int below) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<int>((seed >> 33) % static_cast<std::uint64_t>(below));
    };
    auto corner = [&](double beside) {
        const int u = next(field.columns + 2) - 1, w = next(field.rows + 2) - 1;
        double y = static_cast<double>(next(9) - 4);
        if (u >= 0 && w >= 0 && u < field.columns && w < field.rows)
            y += field.vertices[static_cast<std::size_t>(w * field.columns + u)].position.y;
        return Vector3{o.x + u * dx + beside, std::isfinite(y) ? y : 0.0, o.z + w * dz - beside};
    };
    for (int k = 0; k < 48; ++k) {
        const double beside = k % 3 == 0 ? 0.0 : (k % 3 == 1 ? 1e-6 : -1e-9);
        const Vector3 a = corner(beside);
        // Vertical probes on corners, then corner to corner.
        const Vector3 b = k < 16 ? Vector3{a.x, a.y - 20.0, a.z} : corner(-beside);
        if (!sameHit(field.intersectSegment(a, b), plainCellOrderHit(field, a, b)))
            fuzz::broken("the walk and the plain cell order disagree");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::environment();
    TokenReader in(std::string(reinterpret_cast<const char*>(data), size));
    TextureCache textures;
    const auto field = readHeightField(in, textures);
    if (!field) {
        if (in.ok()) fuzz::broken("refused without a located failure");
        return 0;
    }
    const std::size_t columns = static_cast<std::size_t>(field->grid.columns);
    const std::size_t rows = static_cast<std::size_t>(field->grid.rows);
    if (field->grid.vertices.size() != columns * rows ||
        field->grid.triangles.size() != (rows - 1) * (2 * columns - 2))
        fuzz::broken("lists do not match the counts");
    if (field->grid.cellsHoldTheirHits() && columns * rows <= 4096)
        compareWithPlainOrder(field->grid, static_cast<std::uint64_t>(size));
    (void)field->grid.intersectSegment({0, 10, 0}, {0, -10, 0});
    (void)field->grid.intersectSegment({-1e3, 5, -7}, {1e3, -5, 9});
    (void)field->grid.intersectSegment({1e300, 1, 1e300}, {-1e300, -1, -1e300});
    return 0;
}
