#include "GeometryTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

using namespace geometry_test;

namespace {

void expectUntouched(const Hit& h)
{
    EXPECT_FALSE(h.hit);
    EXPECT_EQ(h.distance, -1);
    EXPECT_EQ(h.point, sentinelPoint);
    EXPECT_EQ(h.plane.a, 9);
}

const Plane groundUp = plane(0, 1, 0, 0);  // y = 0, front above

TEST(BspIntersect, SegmentInFrontOfEveryPlaneTestsNoPolygon)
{
    // Polygons that contain every point would report any test as a hit.
    auto root = node({everywhere(groundUp)}, node({everywhere(plane(1, 0, 0, 0))}));
    expectUntouched(trace(*root, {1, 1, 0}, {5, 3, 2}));
}

TEST(BspIntersect, StartOnThePlaneGoesBackOnly)
{
    auto lone = node({everywhere(groundUp)});
    expectUntouched(trace(*lone, {0, 0, 0}, {0, -1, 0}));

    auto withBack = node({everywhere(groundUp)}, nullptr, node({everywhere(plane(0, 1, 0, 0.5))}));
    Hit h = trace(*withBack, {0, 0, 0}, {0, -1, 0});
    ASSERT_TRUE(h.hit);
    EXPECT_DOUBLE_EQ(h.distance, 0.5);
    EXPECT_EQ(h.plane.d, 0.5);
}

TEST(BspIntersect, SegmentInThePlaneGoesFrontOnly)
{
    auto back = node({everywhere(plane(1, 0, 0, -0.5))});
    auto root = node({everywhere(groundUp)}, nullptr, std::move(back));
    expectUntouched(trace(*root, {0, 0, 0}, {1, 0.000009, 0}));

    root->front = node({everywhere(plane(-1, 0, 0, 0.5))});
    Hit h = trace(*root, {0, 0, 0}, {1, -0.000009, 0});
    ASSERT_TRUE(h.hit);
    EXPECT_EQ(h.plane.a, -1);
}

TEST(BspIntersect, NearSubtreeWinsOverTheNode)
{
    auto root = node({everywhere(groundUp)}, node({everywhere(plane(0, 1, 0, -2))}),
                     node({everywhere(plane(0, 1, 0, 2))}));
    Hit down = trace(*root, {0, 5, 0}, {0, -5, 0});
    ASSERT_TRUE(down.hit);
    EXPECT_DOUBLE_EQ(down.distance, 3);
    EXPECT_EQ(down.point, (Vector3{0, 2, 0}));
    EXPECT_EQ(down.plane.d, -2);
    // From below, the back side is near.
    Hit up = trace(*root, {0, -5, 0}, {0, 5, 0});
    ASSERT_TRUE(up.hit);
    EXPECT_DOUBLE_EQ(up.distance, 3);
    EXPECT_EQ(up.plane.d, 2);
}

TEST(BspIntersect, NodePolygonBeatsTheFarSide)
{
    auto root = node({everywhere(groundUp)}, nullptr, node({everywhere(plane(0, 1, 0, 2))}));
    Hit h = trace(*root, {3, 5, 4}, {3, -5, 4});
    ASSERT_TRUE(h.hit);
    EXPECT_DOUBLE_EQ(h.distance, 5);
    EXPECT_EQ(h.point, (Vector3{3, 0, 4}));
    EXPECT_EQ(h.plane.d, 0);
}

TEST(BspIntersect, MissedNodeContinuesFarWithDistanceFromA)
{
    CollisionPolygon farAway = everywhere(groundUp);
    farAway.edgePlanes = {plane(1, 0, 0, -10)};  // only x >= 10
    auto root = node({farAway}, nullptr, node({everywhere(plane(0, 1, 0, 2))}));
    Hit h = trace(*root, {0, 5, 0}, {0, -5, 0});
    ASSERT_TRUE(h.hit);
    EXPECT_DOUBLE_EQ(h.distance, 7);
    EXPECT_EQ(h.point, (Vector3{0, -2, 0}));
}

TEST(BspIntersect, EarlierContainingPolygonWins)
{
    CollisionPolygon first = everywhere(plane(0, 1, 0, 0));
    CollisionPolygon second = everywhere(plane(0, -1, 0, 0));
    first.edgePlanes = {plane(1, 0, 0, 0)};  // x >= 0
    auto root = node({first, second});
    Hit h = trace(*root, {1, 1, 0}, {1, -1, 0});
    ASSERT_TRUE(h.hit);
    EXPECT_EQ(h.plane.b, 1);
    // Where the first does not reach, the second answers.
    h = trace(*root, {-1, 1, 0}, {-1, -1, 0});
    ASSERT_TRUE(h.hit);
    EXPECT_EQ(h.plane.b, -1);
}

TEST(BspIntersect, SegmentEndingShortOfThePlaneMisses)
{
    auto root = node({everywhere(groundUp)});
    expectUntouched(trace(*root, {0, 5, 0}, {0, 0.00001, 0}));
    EXPECT_TRUE(trace(*root, {0, 5, 0}, {0, -0.00001, 0}).hit);
}

TEST(BspIntersect, AgreesWithBruteForceOnRandomRooms)
{
    std::srand(11);
    auto random = [](double lo, double hi) { return lo + (hi - lo) * std::rand() / RAND_MAX; };
    for (int world = 0; world < 20; ++world) {
        const std::vector<Rectangle> rectangles = randomRectangles(25, 6, random);
        auto root = buildBsp(rectangles);
        std::vector<const CollisionPolygon*> all;
        collectPolygons(root.get(), all);
        ASSERT_GE(all.size(), rectangles.size());

        for (int s = 0; s < 300; ++s) {
            const Vector3 a{random(-14, 14), random(-14, 14), random(-14, 14)};
            const Vector3 b{random(-14, 14), random(-14, 14), random(-14, 14)};
            double nearest = 0;
            const bool expected = nearestCrossing(all, a, b, nearest);
            Hit h = trace(*root, a, b);
            ASSERT_EQ(h.hit, expected) << "world " << world << " segment " << s;
            if (expected) {
                EXPECT_NEAR(h.distance, nearest, 1e-9);
                EXPECT_NEAR((h.point - a).length(), h.distance, 1e-9);
                EXPECT_NEAR(h.plane.distance(h.point), 0, 1e-9);
            }
        }
    }
}

// Reading ------------------------------------------------------------------

std::string minimalPolygon() { return "0 1 0 0 0\n"; }

std::string chain(int depth)
{
    std::string text;
    for (int k = 0; k < depth; ++k) text += "1 " + minimalPolygon();
    for (int k = 0; k <= depth; ++k) text += "0 ";
    return text;
}

TEST(BspReader, ZeroIsNoTree)
{
    TokenReader in("0");
    EXPECT_EQ(readBspTree(in), nullptr);
    EXPECT_TRUE(in.ok());
    EXPECT_TRUE(in.atEnd());
}

TEST(BspReader, ReadsPreOrderAndRoundTrips)
{
    CollisionPolygon wall = toPolygon({0, 1.0 / 3.0, 1, {0, -1, -2}, {0, 1, 2}});
    auto root = node({wall, everywhere(plane(-1, 0, 0, 1.0 / 3.0))},
                     node({everywhere(plane(0, 1, 0, 0.1))}, nullptr, node({wall})),
                     node({everywhere(plane(0, 0, 1, -7e-12))}));
    std::string text;
    writeBspTree(text, root.get());
    TokenReader in(text);
    auto back = readBspTree(in);
    ASSERT_TRUE(back);
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(back->nodeCount(), 4u);
    EXPECT_EQ(back->polygonCount(), 5u);
    EXPECT_EQ(back->depth(), 3);
    EXPECT_EQ(back->polygons[0].plane.d, -1.0 / 3.0);
    EXPECT_EQ(back->polygons[0].edgePlanes.size(), 4u);
    ASSERT_TRUE(back->front);
    EXPECT_FALSE(back->front->front);
    ASSERT_TRUE(back->front->back);
    EXPECT_EQ(back->front->back->polygons.size(), 1u);
    EXPECT_EQ(back->back->polygons[0].plane.d, -7e-12);
    std::string again;
    writeBspTree(again, back.get());
    EXPECT_EQ(again, text);

    std::string none;
    writeBspTree(none, nullptr);
    EXPECT_EQ(none, "0\n");
}

TEST(BspReader, DebugColourDrawsThreeNumbersPerNodeBeforeItsPolygons)
{
    std::srand(1234);
    double expected[6];
    for (double& c : expected) c = (std::rand() % 32768) / 32767.0 * 0.7;
    const int following = std::rand();

    std::srand(1234);
    TokenReader in("2 " + minimalPolygon() + minimalPolygon() + "0 1 " + minimalPolygon() + "0 0");
    auto root = readBspTree(in);
    ASSERT_TRUE(root);
    EXPECT_EQ(std::rand(), following);  // empty records draw nothing
    for (const CollisionPolygon& p : root->polygons) {
        EXPECT_EQ(p.debugColour, (Vector3{expected[0], expected[1], expected[2]}));
    }
    ASSERT_TRUE(root->back);
    EXPECT_EQ(root->back->polygons[0].debugColour,
              (Vector3{expected[3], expected[4], expected[5]}));
    for (double c : expected) {
        EXPECT_GE(c, 0.0);
        EXPECT_LE(c, 0.7);
    }
}

TEST(BspReader, RefusesEveryTruncation)
{
    const std::string text = "2 " + minimalPolygon() +
                             "0 1 0 -1 1  1 0 0 0  0 -1 0\n"
                             "1 " +
                             minimalPolygon() +
                             "0 0 "
                             "1 " +
                             minimalPolygon() + "0 0";
    std::istringstream split(text);
    std::vector<std::string> words;
    for (std::string w; split >> w;) words.push_back(w);
    {
        TokenReader whole(text);
        ASSERT_TRUE(readBspTree(whole));
    }
    for (std::size_t count = 0; count < words.size(); ++count) {
        std::string prefix;
        for (std::size_t k = 0; k < count; ++k) prefix += words[k] + " ";
        TokenReader in(prefix);
        EXPECT_EQ(readBspTree(in), nullptr) << "after " << count << " tokens";
        EXPECT_FALSE(in.ok()) << "after " << count << " tokens";
    }
}

TEST(BspReader, RefusesNegativeAndAbsurdCounts)
{
    for (const std::string& text :
         {std::string("-1"), "1 " + minimalPolygon() + "-2 0", "2000000000 " + minimalPolygon(),
          std::string("1 0 1 0 0 1000000000 0 0")}) {
        TokenReader in(text);
        EXPECT_EQ(readBspTree(in), nullptr) << text;
        EXPECT_FALSE(in.ok()) << text;
    }
}

TEST(BspReader, FailureNamesPolygonAndNode)
{
    TokenReader in("1 " + minimalPolygon() + "0 2 " + minimalPolygon() + "0 1 0 zero 0 0 0");
    EXPECT_EQ(readBspTree(in), nullptr);
    ASSERT_TRUE(in.failure());
    EXPECT_EQ(in.failure()->context, "polygon 1 of BSP node 1");
}

TEST(BspReader, DepthIsBounded)
{
    TokenReader deepest(chain(maximumBspDepth));
    auto root = readBspTree(deepest);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->depth(), maximumBspDepth);

    TokenReader tooDeep(chain(maximumBspDepth + 1));
    EXPECT_EQ(readBspTree(tooDeep), nullptr);
    EXPECT_FALSE(tooDeep.ok());
}

TEST(BspNodeLifetime, AVeryLongChainIsReleasedWithoutRecursion)
{
    auto root = node({everywhere(groundUp)});
    BspNode* tip = root.get();
    // Deep enough that a destructor recursing once per level would run out of stack.
    for (int k = 0; k < 300000; ++k) {
        tip->back = node({everywhere(plane(0, 1, 0, k + 1.0))});
        tip = tip->back.get();
    }
    root->front = node({everywhere(groundUp)});
    EXPECT_EQ(root->nodeCount(), 300002u);
    EXPECT_EQ(root->polygonCount(), 300002u);
    EXPECT_EQ(root->depth(), 300001);
    root.reset();
}

}  // namespace
