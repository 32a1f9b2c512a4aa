#include "GeometryTestSupport.h"

#include "support/PlainCellOrder.h"
#include "textures/TextureCache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <utility>

using namespace geometry_test;

namespace {

// Cell (i, j) of a marked field is hit at height 10 * i + j (first
// triangle) and answers with a plane whose d names the cell.
Plane cellMark(int i, int j) { return plane(0, 1, 0, -(10.0 * i + j)); }

TEST(HeightFieldIntersect, VerticalSegmentTestsOneCell)
{
    // Only cell (1, 1) lies out of reach; every other cell hits anything.
    auto field = makeMarkedField(4, 4, [](int i, int j, int) {
        return i == 1 && j == 1 ? plane(0, 1, 0, -1000) : plane(0, 1, 0, 0);
    });
    EXPECT_FALSE(trace(*field, {1.5, 5, 1.5}, {1.5, -5, 1.5}).hit);
    EXPECT_TRUE(trace(*field, {0.5, 5, 1.5}, {0.5, -5, 1.5}).hit);
}

TEST(HeightFieldIntersect, SegmentsOutsideTheGridMiss)
{
    auto field = makeMarkedField(3, 3, [](int, int, int) { return plane(0, 1, 0, 0); });
    EXPECT_FALSE(trace(*field, {-5, 1, 0.5}, {-3, -1, 0.5}).hit);
    EXPECT_FALSE(trace(*field, {0.5, 1, 2.01}, {1.5, -1, 7}).hit);
    EXPECT_FALSE(trace(*field, {0.5, 1, -1e300}, {1.5, -1, -1e299}).hit);
}

TEST(HeightFieldIntersect, HugeAndNonFiniteSegmentsEndQuickly)
{
    auto field = makeMarkedField(5, 5, [](int i, int j, int) { return cellMark(i, j); });
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(trace(*field, {nan, 1, 0.5}, {1, -1, 0.5}).hit);
    EXPECT_FALSE(trace(*field, {0.5, 1, 0.5}, {inf, -1, 0.5}).hit);
    // Twenty billion columns wide: only the grid's own cells are visited,
    // in order from A's side.
    Hit rising = trace(*field, {-1e10, 100, 2.5}, {1e10, -100, 2.5});
    ASSERT_TRUE(rising.hit);
    EXPECT_EQ(rising.plane.d, cellMark(0, 2).d);
    Hit falling = trace(*field, {1e10, 100, 2.5}, {-1e10, -100, 2.5});
    ASSERT_TRUE(falling.hit);
    EXPECT_EQ(falling.plane.d, cellMark(3, 2).d);
}

TEST(HeightFieldIntersect, VisitsColumnsFromAThenRowsFromA)
{
    auto field = makeMarkedField(5, 5, [](int i, int j, int) { return cellMark(i, j); });
    // All cells hit (every plane is crossed between y = 100 and y = -100):
    // the first cell visited is A's.
    Hit h = trace(*field, {3.5, 100, 0.5}, {0.5, -100, 3.5});
    ASSERT_TRUE(h.hit);
    EXPECT_EQ(h.plane.d, cellMark(3, 0).d);

    // Only the cells of column 2 and the cell (3, 3) hit: within column 2
    // the rows are visited from A's row 3 downwards.
    auto sparse = makeMarkedField(5, 5, [](int i, int j, int) {
        return i == 2 || (i == 3 && j == 3) ? cellMark(i, j) : plane(0, 1, 0, -1000);
    });
    h = trace(*sparse, {3.5, 100, 3.5}, {0.5, -100, 0.5});
    ASSERT_TRUE(h.hit);
    EXPECT_EQ(h.plane.d, cellMark(3, 3).d);
    h = trace(*sparse, {2.5, 100, 3.5}, {0.5, -100, 0.5});
    ASSERT_TRUE(h.hit);
    EXPECT_EQ(h.plane.d, cellMark(2, 3).d);
}

TEST(HeightFieldIntersect, FirstFoundCellAnswersEvenWhenFarther)
{
    // Cell (0, 1) is crossed at y = -5 (far), cell (1, 0) at y = 5 (near);
    // (0, 1) comes first in column order.
    auto field = makeMarkedField(3, 3, [](int i, int j, int) {
        if (i == 0 && j == 1) return plane(0, 1, 0, 5);
        if (i == 1 && j == 0) return plane(0, 1, 0, -5);
        return plane(0, 1, 0, -1000);
    });
    Hit h = trace(*field, {0.5, 10, 0.5}, {1.5, -10, 1.5});
    ASSERT_TRUE(h.hit);
    EXPECT_EQ(h.plane.d, 5);
    EXPECT_NEAR(h.point.y, -5, 1e-12);
}

TEST(HeightFieldIntersect, FoldReportsTheNearerTriangle)
{
    const Plane low = plane(0, 1, 0, 1);    // y = -1
    const Plane high = plane(0, 1, 0, -1);  // y = 1
    for (bool highFirst : {true, false}) {
        auto field = makeMarkedField(
            2, 2, [&](int, int, int k) { return (k == 0) == highFirst ? high : low; });
        Hit h = trace(*field, {0.5, 5, 0.5}, {0.5, -5, 0.5});
        ASSERT_TRUE(h.hit);
        EXPECT_EQ(h.plane.d, -1) << highFirst;
        EXPECT_DOUBLE_EQ(h.distance, 4);
    }
    // Equal distances keep the first triangle.
    auto twin =
        makeMarkedField(2, 2, [](int, int, int k) { return plane(0, 1, 0, k ? -0.0 : 0.0); });
    Hit h = trace(*twin, {0.5, 5, 0.5}, {0.5, -5, 0.5});
    ASSERT_TRUE(h.hit);
    EXPECT_FALSE(std::signbit(h.plane.d));
}

TEST(HeightFieldIntersect, MissWritesNothing)
{
    auto field = makeField(3, 3, 0, 0, 1, [](int, int) { return 0.0; });
    Hit h = trace(*field, {0.5, 5, 0.5}, {0.5, 1, 0.5});
    EXPECT_FALSE(h.hit);
    EXPECT_EQ(h.distance, -1);
    EXPECT_EQ(h.plane.a, 9);
    EXPECT_FALSE(field->grid.intersectCell(-1, 0, {0.5, 5, 0.5}, {0.5, -5, 0.5}));
    EXPECT_FALSE(field->grid.intersectCell(2, 0, {0.5, 5, 0.5}, {0.5, -5, 0.5}));
}

TEST(HeightFieldIntersect, MirroredGridAndUnevenTerrain)
{
    // Columns running towards -x and rows towards -z still map points to cells.
    auto field = makeField(5, 4, 0, 0, -2.0, [](int i, int j) { return 0.5 * i - 0.25 * j; });
    Hit h = trace(*field, {-3, 10, -3}, {-3, -10, -3});
    ASSERT_TRUE(h.hit);
    EXPECT_NEAR(h.point.y, 0.5 * 1.5 - 0.25 * 1.5, 1e-12);
    EXPECT_NEAR(h.distance, 10 - h.point.y, 1e-12);
}

TEST(HeightFieldPreparation, HoldsOnlyForTrianglesInsideTheirCells)
{
    auto field = makeField(6, 5, 3, -2, 1.5, [](int i, int j) { return std::sin(i + 2.0 * j); });
    EXPECT_TRUE(field->grid.cellsHoldTheirHits());
    auto mirrored = makeField(4, 4, 0, 0, -2, [](int i, int j) { return 0.1 * i * j; });
    EXPECT_TRUE(mirrored->grid.cellsHoldTheirHits());
    // Triangles that contain everything, or sit in another cell, do not.
    EXPECT_FALSE(makeMarkedField(3, 3, [](int, int, int) {
                     return plane(0, 1, 0, 0);
                 })->grid.cellsHoldTheirHits());
    std::swap(field->grid.triangles[0], field->grid.triangles[7]);
    field->grid.prepareQueries();
    EXPECT_FALSE(field->grid.cellsHoldTheirHits());
    // A wedge (an edge plane missing or repeated) reaches out of its cell,
    // though its only corner lies inside.
    auto open = makeField(3, 3, 0, 0, 1, [](int, int) { return 0.0; });
    open->grid.triangles[3].edgePlanes.pop_back();
    open->grid.prepareQueries();
    EXPECT_FALSE(open->grid.cellsHoldTheirHits());
    open->grid.triangles[3].edgePlanes.push_back(open->grid.triangles[3].edgePlanes[1]);
    open->grid.prepareQueries();
    EXPECT_FALSE(open->grid.cellsHoldTheirHits());
}

TEST(HeightFieldPreparation, FindsTheSameCellAsThePlainVisitingOrder)
{
    std::srand(17);
    auto random = [](double lo, double hi) { return lo + (hi - lo) * std::rand() / RAND_MAX; };
    int hits = 0, segments = 0;
    for (int round = 0; round < 12; ++round) {
        const int columns = 2 + std::rand() % 12, rows = 2 + std::rand() % 12;
        const double cell = (round % 3 == 0 ? -1 : 1) * random(0.5, 3);
        const double roughness = random(0, 4);
        auto field = makeField(columns, rows, random(-5, 5), random(-5, 5), cell,
                               [&](int, int) { return random(-roughness, roughness); });
        if (round % 4 == 3) {  // triangles out of place: the plain scan must answer
            std::swap(field->grid.triangles.front(), field->grid.triangles.back());
            field->grid.prepareQueries();
            EXPECT_FALSE(field->grid.cellsHoldTheirHits());
        } else {
            EXPECT_TRUE(field->grid.cellsHoldTheirHits());
        }
        const Vertex& o = field->grid.vertices.front();
        const Vertex& far = field->grid.vertices.back();
        auto somewhere = [&](double from, double to, double snapTo) {
            // Now and then exactly on a grid line, where rounding is closest.
            if (std::rand() % 4 == 0)
                return from + std::round(random(0, 1) * (to - from) / snapTo) * snapTo;
            return random(std::min(from, to) - 3, std::max(from, to) + 3);
        };
        for (int s = 0; s < 2000; ++s, ++segments) {
            const Vector3 a{somewhere(o.position.x, far.position.x, cell), random(-6, 6),
                            somewhere(o.position.z, far.position.z, cell)};
            Vector3 b{somewhere(o.position.x, far.position.x, cell), random(-6, 6),
                      somewhere(o.position.z, far.position.z, cell)};
            if (s % 5 == 0) b = a + Vector3{random(-1, 1), random(-2, 2), random(-1, 1)};
            if (s % 7 == 0) b = {a.x, -a.y, a.z};
            const Hit expected = toHit(plainCellOrderHit(field->grid, a, b));
            const Hit found = toHit(field->grid.intersectSegment(a, b));
            ASSERT_EQ(found.hit, expected.hit) << "round " << round << " segment " << s;
            EXPECT_EQ(found.distance, expected.distance);
            EXPECT_EQ(found.point, expected.point);
            EXPECT_EQ(found.plane.d, expected.plane.d);
            hits += found.hit;
        }
    }
    EXPECT_GT(hits, segments / 5);
}

// Reading --------------------------------------------------------------------

std::string record(int columns, int rows)
{
    auto field = makeField(columns, rows, 1, 2, 0.5, [](int i, int j) { return i * 0.1 + j; });
    std::ostringstream out;
    out << columns << " " << rows << " ground.bmp\n";
    for (const Vertex& v : field->grid.vertices) {
        out << v.position.x << " " << v.position.y << " " << v.position.z << " " << v.u << " "
            << v.v << " 0 1 0 0.5 0.5 0.5\n";
    }
    std::string text = out.str();
    for (const CollisionPolygon& t : field->grid.triangles) writeCollisionPolygon(text, t);
    return text;
}

TEST(HeightFieldReader, ReadsGridAndTriangles)
{
    TextureCache textures;
    TokenReader in(record(3, 2) + " after");
    auto field = readHeightField(in, textures);
    ASSERT_TRUE(field);
    EXPECT_EQ(field->grid.columns, 3);
    EXPECT_EQ(field->grid.rows, 2);
    EXPECT_EQ(field->texture, nullptr);
    ASSERT_EQ(field->grid.vertices.size(), 6u);
    EXPECT_EQ(field->grid.vertices[4].position.x, 1.5);
    EXPECT_EQ(field->grid.vertices[4].position.z, 2.5);
    EXPECT_EQ(field->grid.vertices[4].u, 1);
    EXPECT_EQ(field->grid.vertices[4].normal.y, 1);
    EXPECT_EQ(field->grid.vertices[4].r, 0.5);
    EXPECT_EQ(field->grid.triangles.size(), 4u);
    EXPECT_STREQ(field->className(), "HeightField");
    EXPECT_TRUE(field->grid.cellsHoldTheirHits());
    EXPECT_TRUE(field->polygons.empty());
    std::string word;
    ASSERT_TRUE(in.readWord(word));
    EXPECT_EQ(word, "after");
    Hit h = trace(*field, {1.6, 5, 2.1}, {1.6, -5, 2.1});
    ASSERT_TRUE(h.hit);
    EXPECT_NEAR(h.point.y, 1.2 * 0.1 + 0.2, 1e-12);
}

TEST(HeightFieldReader, RefusesEveryTruncation)
{
    const std::string text = record(2, 2);
    std::istringstream split(text);
    std::vector<std::string> words;
    for (std::string w; split >> w;) words.push_back(w);
    for (std::size_t count = 0; count < words.size(); ++count) {
        std::string prefix;
        for (std::size_t k = 0; k < count; ++k) prefix += words[k] + " ";
        TextureCache textures;
        TokenReader in(prefix);
        EXPECT_EQ(readHeightField(in, textures), nullptr) << "after " << count << " tokens";
        EXPECT_FALSE(in.ok());
    }
}

TEST(HeightFieldReader, RefusesDegenerateAndImpossibleGrids)
{
    const std::string tail = " t" + std::string(200, ' ') + "1";
    for (const char* head :
         {"1 5", "5 1", "0 0", "-3 4", "2 -2", "65536 65536", "2147483647 2147483647", "100 100"}) {
        TextureCache textures;
        TokenReader in(std::string(head) + tail);
        EXPECT_EQ(readHeightField(in, textures), nullptr) << head;
        EXPECT_FALSE(in.ok()) << head;
        EXPECT_EQ(textures.size(), 0u) << "nothing loaded for " << head;
    }
}

TEST(HeightFieldReader, FailureNamesTheTriangle)
{
    std::string text = record(2, 2);
    text.resize(text.rfind('\n', text.size() - 2) + 1);  // drop the last corner line
    text += "oops" + std::string(200, ' ');
    TextureCache textures;
    TokenReader in(text);
    EXPECT_EQ(readHeightField(in, textures), nullptr);
    ASSERT_TRUE(in.failure());
    EXPECT_EQ(in.failure()->context, "corner 2 of triangle 1");
}

}  // namespace
