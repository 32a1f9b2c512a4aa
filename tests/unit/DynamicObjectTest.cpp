#include "EntityTestSupport.h"
#include "support/TestEnvironment.h"

#include "entities/RobotDrone.h"
#include "world/WorldLoader.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace entity_test;

namespace {

std::unique_ptr<DynamicObject> readObject(const std::string& text, World& world)
{
    return readAs<DynamicObject>(readDynamicObject, text, world);
}

TEST(DynamicObjectRecord, ReadsPlacementBoxBehaviourAndRestShape)
{
    World world;
    const std::string triangle =
        worldtest::polygonRecord("none", {0, 1, 0}, {{0, 0, 0}, {2, 0, 0}, {0, 0, -2}});
    auto object = readObject(
        dynamicRecord({1, 2, 3}, "rotateY", {squareRecord(), triangle}, {2, -1, 5}, {-2, 3, 1}),
        world);
    ASSERT_TRUE(object);
    EXPECT_EQ(object->placement.position(), Vector3(1, 2, 3));
    EXPECT_EQ(object->placement.inverse().translation(), Vector3(-1, -2, -3));
    ASSERT_TRUE(object->boundingBox);
    const BoundingBox& box = *object->boundingBox;
    EXPECT_EQ(Vector3(box.minX, box.minY, box.minZ), Vector3(-2, -1, 1));
    EXPECT_EQ(Vector3(box.maxX, box.maxY, box.maxZ), Vector3(2, 3, 5));
    EXPECT_EQ(object->behaviour(), "rotateY");
    // The rest shape is every vertex in polygon order; the polygons keep
    // object coordinates until the first update.
    ASSERT_EQ(object->restVertices.size(), 7u);
    EXPECT_EQ(positionOf(object->restVertices[4]), Vector3(0, 0, 0));
    EXPECT_EQ(positionOf(object->restVertices[6]), Vector3(0, 0, -2));
    EXPECT_EQ(positionOf(object->polygons[1].vertices[2]), Vector3(0, 0, -2));
}

TEST(DynamicObjectRecord, BehaviourWordsAreKeptExactly)
{
    const struct {
        const char* word;
        const char* kept;
        bool moves;
    } cases[] = {{"NULL", "", false},          {"null", "null", false},
                 {"rotateY", "rotateY", true}, {"RotateY", "RotateY", false},
                 {"drone", "drone", true},     {"hover", "hover", false}};
    for (const auto& c : cases) {
        World world;
        auto object = readObject(dynamicRecord({0, 0, 0}, c.word, {squareRecord()}), world);
        ASSERT_TRUE(object) << c.word;
        EXPECT_EQ(object->behaviour(), c.kept);
        object->update(frameIn(world));
        EXPECT_EQ(!near(object->placement.transform(), Matrix4::identity()), c.moves) << c.word;
    }
}

// A world file whose one entity is the given block.
std::string worldFile(const std::string& block) { return "0 0 0\n1 1 1\n0\n1\n" + block; }

TEST(DynamicObjectRecord, CutShortOrMalformedRecordsFailTheWorld)
{
    const std::string record = dynamicRecord({1, 2, 3}, "drone", {squareRecord(), squareRecord()});
    const std::vector<std::string> tokens = worldtest::tokens(record);
    for (const char* keyword : {"DynamicObject", "RobotDrone"}) {
        TempDir dir;
        ASSERT_TRUE(loadWorld(
            dir.write("whole.wrl", worldFile(std::string(keyword) + " " + record)), true));
        // Cut after every token.
        for (std::size_t n = 0; n < tokens.size(); ++n) {
            fakePlatform().messages.clear();
            const std::string path = dir.write(
                "cut.wrl", worldFile(std::string(keyword) + " " + worldtest::join(tokens, n)));
            EXPECT_FALSE(loadWorld(path, true)) << keyword << " cut after " << n << " tokens";
            ASSERT_EQ(fakePlatform().messages.size(), 1u);
            EXPECT_EQ(fakePlatform().messages.back().text, "Unable to load an object");
        }
        // A word for a number, a polygon count far beyond the file, a
        // behaviour word longer than the format allows (a count below zero
        // reads as no polygons).
        const std::string malformed[] = {
            "1 2 x -1 -1 -1 1 1 1 NULL 0",
            "1 2 3 -1 -1 -1 1 1 1 NULL 2000000000 " + squareRecord(),
            "1 2 3 -1 -1 -1 1 1 1 " + std::string(300, 'w') + " 0",
            "1 2 3 -1 -1 -1 1 1 1 NULL 1 none 0 0 1 1000000000 0 0 0",
        };
        for (const std::string& text : malformed) {
            fakePlatform().messages.clear();
            const std::string path =
                dir.write("bad.wrl", worldFile(std::string(keyword) + " " + text));
            EXPECT_FALSE(loadWorld(path, true)) << text.substr(0, 60);
            ASSERT_EQ(fakePlatform().messages.size(), 1u);
            EXPECT_EQ(fakePlatform().messages.back().text, "Unable to load an object");
        }
    }
}

TEST(DynamicObjectUpdate, PlacesVerticesRefitsTheBoxAndColours)
{
    World world;
    world.ambientLight = {0.2, 0.3, 0.4};
    // A normal of length 2 stays of length 2: only turned.
    const std::string polygon =
        "none 0 0 1 3\n 0 0 0 0 0 0 0 2 1 1 1\n 3 0 0 1 0 0 0 2 1 1 1\n 0 1 -1 0 1 0 0 2 1 1 1\n";
    for (const bool lighting : {true, false}) {
        programState().settings.dynamicLighting = lighting;
        auto object = readObject(
            dynamicRecord({10, 0, 0}, "rotateY", {polygon}, {-9, -9, -9}, {9, 9, 9}), world);
        object->update(frameIn(world, 0.4));
        Matrix4 expected;
        expected.postTranslate({10, 0, 0});
        expected.postRotate({0, 2, 0});
        EXPECT_TRUE(near(object->placement.transform(), expected));
        const std::vector<Vertex>& live = object->polygons[0].vertices;
        BoundingBox box = BoundingBox::at(positionOf(live[0]));
        for (std::size_t k = 0; k < live.size(); ++k) {
            const Vertex& rest = object->restVertices[k];
            const Vector3 at = transformPoint(positionOf(rest), expected);
            EXPECT_NEAR((positionOf(live[k]) - at).length(), 0.0, 1e-9);
            EXPECT_NEAR(Vector3(live[k].normal.x, live[k].normal.y, live[k].normal.z).length(), 2.0,
                        1e-9);
            EXPECT_NEAR(live[k].normal.x, 2 * std::sin(2 * 3.141592653589793 / 180), 1e-9);
            EXPECT_EQ(live[k].u, rest.u);
            box.include(positionOf(live[k]));
            EXPECT_EQ(live[k].r, lighting ? 0.2 : 0.7);
            EXPECT_EQ(live[k].b, lighting ? 0.4 : 0.7);
        }
        // The tight box of the world vertices, not the file's.
        ASSERT_TRUE(object->boundingBox);
        EXPECT_EQ(object->boundingBox->minX, box.minX);
        EXPECT_EQ(object->boundingBox->maxX, box.maxX);
        EXPECT_EQ(object->boundingBox->maxY, 1.0);
        EXPECT_EQ(object->boundingBox->minY, 0.0);
    }
}

TEST(DynamicObjectUpdate, SpinsAboutItsOwnAxisAtFiveDegreesPerTimeStep)
{
    const struct {
        const char* word;
        Vector3 angles;  // per frame at time step 0.4
    } cases[] = {{"rotateX", {2, 0, 0}}, {"rotateY", {0, 2, 0}}, {"rotateZ", {0, 0, 2}}};
    for (const auto& c : cases) {
        World world;
        auto object = readObject(dynamicRecord({0, 5, 0}, c.word, {}), world);
        Matrix4 expected, inverse;
        expected.postTranslate({0, 5, 0});
        inverse.preTranslate({0, -5, 0});
        for (int frame = 0; frame < 3; ++frame) {
            object->update(frameIn(world, 0.4));
            expected.postRotate(c.angles);
            inverse.preRotate(c.angles.negated());
        }
        EXPECT_TRUE(near(object->placement.transform(), expected)) << c.word;
        EXPECT_TRUE(near(object->placement.inverse(), inverse)) << c.word;
        // No polygons: the file's box stays for ever.
        EXPECT_EQ(object->boundingBox->maxX, 1.0);
    }
}

TEST(DroneSteering, TakesExactlyOneActionAFrameFromItsThreeProbes)
{
    enum Action { right, left, forward };
    const Rectangle leftAt5 = wall(0, -5, 1), rightAt5 = wall(0, 5, -1);
    const Rectangle leftAt7 = wall(0, -7, 1), rightAt7 = wall(0, 7, -1);
    const Rectangle leftAt9 = wall(0, -9, 1), rightAt9 = wall(0, 9, -1);
    const Rectangle aheadAt7 = wall(2, -7, 1), aheadAt9 = wall(2, -9, 1);
    const struct {
        const char* name;
        std::vector<Rectangle> walls;
        Action action;
    } cases[] = {
        {"open space", {}, forward},
        {"wall 5 left", {leftAt5}, right},
        {"wall 5 right", {rightAt5}, left},
        {"walls 5 both sides", {leftAt5, rightAt5}, forward},
        {"ahead 7, sides open (equal)", {aheadAt7}, left},
        {"ahead 7, left 5", {aheadAt7, leftAt5}, right},
        {"ahead 7, left 5, right 5", {aheadAt7, leftAt5, rightAt5}, right},
        {"ahead 7, right 5", {aheadAt7, rightAt5}, left},
        {"ahead 7, left 7 nearer than right 9", {aheadAt7, leftAt7, rightAt9}, right},
        {"ahead 7, right 7 nearer than left 9", {aheadAt7, leftAt9, rightAt7}, left},
        {"ahead 9, left 5", {aheadAt9, leftAt5}, right},
        {"ahead 9, walls 5 both sides", {aheadAt9, leftAt5, rightAt5}, forward},
    };
    for (const auto& c : cases) {
        auto world = worldOf(c.walls);
        auto drone = readObject(dynamicRecord({0, 0, 0}, "drone", {squareRecord()}), *world);
        drone->update(frameIn(*world, 0.4));
        Matrix4 expected;
        if (c.action == right) expected.postRotate({0, -2, 0});
        if (c.action == left) expected.postRotate({0, 2, 0});
        if (c.action == forward) expected.postTranslate({0, 0, -0.4});
        EXPECT_TRUE(near(drone->placement.transform(), expected)) << c.name;
    }
}

// The box test against a plain reference: the segment meets the box (slab
// clipping) and does not lie wholly inside it.
bool referenceHit(const BoundingBox& box, const Vector3& a, const Vector3& b)
{
    const double lo[3] = {box.minX, box.minY, box.minZ}, hi[3] = {box.maxX, box.maxY, box.maxZ};
    const double pa[3] = {a.x, a.y, a.z}, pb[3] = {b.x, b.y, b.z};
    double t0 = 0.0, t1 = 1.0;
    bool aInside = true, bInside = true;
    for (int k = 0; k < 3; ++k) {
        aInside = aInside && pa[k] > lo[k] && pa[k] < hi[k];
        bInside = bInside && pb[k] > lo[k] && pb[k] < hi[k];
        const double d = pb[k] - pa[k];
        if (d == 0.0) {
            if (pa[k] < lo[k] || pa[k] > hi[k]) return false;
            continue;
        }
        double u = (lo[k] - pa[k]) / d, v = (hi[k] - pa[k]) / d;
        if (u > v) std::swap(u, v);
        t0 = std::max(t0, u);
        t1 = std::min(t1, v);
    }
    return t0 <= t1 && !(aInside && bInside);
}

TEST(HitsSegment, ThroughTheBoxOnAFaceAndInside)
{
    DynamicObject object;
    EXPECT_FALSE(object.hitsSegment({-5, 0, 0}, {5, 0, 0})) << "no box, no hit";
    object.boundingBox = BoundingBox{-1, -2, -3, 1, 2, 3};
    const struct {
        Vector3 a, b;
        bool hit;
    } cases[] = {
        {{-5, 0, 0}, {5, 0, 0}, true},          {{0, -5, 0}, {0, 5, 0}, true},
        {{0, 0, 5}, {0, 0, -5}, true},          {{0, 0, 0}, {0, 9, 0}, true},  // from inside out
        {{-5, 0, 0}, {-1, 0, 0}, false},                                       // ends on the face
        {{-5, 0, 0}, {-1.000001, 0, 0}, false},  // within 0.00001 of it
        {{-5, 0, 0}, {-0.99, 0, 0}, true},       // just through it
        {{-0.5, 0, 0}, {0.5, 1, 2}, false},      // wholly inside
        {{-5, 3, 0}, {5, 3, 0}, false},          // passes above
        {{-5, -5, 0}, {-2, 5, 0}, false},        // both beyond minX
        {{-5, 2, 0}, {5, 2, 0}, true},           // along the top face: its edges count
        {{-2, 0, 0}, {1, 4, 0}, true},           // enters the side, leaves the top
        {{-3, 0, 0}, {0, 4, 0}, false},          // passes the corner outside
    };
    for (const auto& c : cases) {
        EXPECT_EQ(object.hitsSegment(c.a, c.b), c.hit)
            << "(" << c.a.x << "," << c.a.y << "," << c.a.z << ") to (" << c.b.x << "," << c.b.y
            << "," << c.b.z << ")";
    }
}

TEST(HitsSegment, AgreesWithAPlainReferenceOnRandomSegments)
{
    std::srand(11);
    auto random = [](double lo, double hi) { return lo + (hi - lo) * std::rand() / RAND_MAX; };
    DynamicObject object;
    int hits = 0;
    for (int i = 0; i < 20000; ++i) {
        const Vector3 c{random(-3, 3), random(-3, 3), random(-3, 3)};
        const Vector3 h{random(0.1, 2), random(0.1, 2), random(0.1, 2)};
        object.boundingBox =
            BoundingBox{c.x - h.x, c.y - h.y, c.z - h.z, c.x + h.x, c.y + h.y, c.z + h.z};
        const Vector3 a{random(-6, 6), random(-6, 6), random(-6, 6)};
        const Vector3 b{random(-6, 6), random(-6, 6), random(-6, 6)};
        const bool expected = referenceHit(*object.boundingBox, a, b);
        ASSERT_EQ(object.hitsSegment(a, b), expected) << "case " << i;
        hits += expected;
    }
    EXPECT_GT(hits, 1000);
    EXPECT_LT(hits, 18000);
}

}  // namespace
