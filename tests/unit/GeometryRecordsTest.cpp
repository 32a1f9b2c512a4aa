#include "geometry/CollisionPolygon.h"
#include "geometry/Polygon.h"
#include "textures/TextureCache.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> tokens(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string t; in >> t;) out.push_back(t);
    return out;
}

std::string join(const std::vector<std::string>& words, std::size_t count)
{
    std::string out;
    for (std::size_t k = 0; k < count; ++k) out += words[k] + " ";
    return out;
}

const std::string twoVertexPolygon =
    "Wall.bmp  0 1 0  2\n"
    "1 2 3  0.25 0.75  0.5 0.6 0.7  0.1 0.2 0.3\n"
    "4 5 6  1 0  0 1 0  1 1 1\n";

TEST(PolygonRecord, ReadsFieldsInFileOrder)
{
    TextureCache textures;
    TokenReader in(twoVertexPolygon + " next");
    auto polygon = readPolygon(in, textures);
    ASSERT_TRUE(polygon);
    EXPECT_EQ(polygon->texture, nullptr);  // the file does not exist
    EXPECT_EQ(polygon->normal, (Vector3{0, 1, 0}));
    ASSERT_EQ(polygon->vertices.size(), 2u);
    const Vertex& v = polygon->vertices[0];
    EXPECT_EQ(v.position.x, 1);
    EXPECT_EQ(v.position.y, 2);
    EXPECT_EQ(v.position.z, 3);
    EXPECT_EQ(v.u, 0.25);  // texture coordinates stand before the normal
    EXPECT_EQ(v.v, 0.75);
    EXPECT_EQ(v.normal.x, 0.5);
    EXPECT_EQ(v.normal.y, 0.6);
    EXPECT_EQ(v.normal.z, 0.7);
    EXPECT_EQ(v.r, 0.1);
    EXPECT_EQ(v.g, 0.2);
    EXPECT_EQ(v.b, 0.3);
    // A texture that fails to load still consumes its word: the stream stays in step.
    std::string word;
    ASSERT_TRUE(in.readWord(word));
    EXPECT_EQ(word, "next");
}

TEST(PolygonRecord, AsksTheCacheWithTheWordAsRead)
{
    TextureCache textures;
    auto texture = std::make_unique<Texture>(1, 1);
    texture->setName("wall.BMP");
    Texture* cached = textures.add(std::move(texture));
    TokenReader in(twoVertexPolygon);
    auto polygon = readPolygon(in, textures);
    ASSERT_TRUE(polygon);
    EXPECT_EQ(polygon->texture, cached);
    EXPECT_EQ(textures.size(), 1u);
}

TEST(PolygonRecord, ZeroVerticesIsAnEmptyPolygon)
{
    TextureCache textures;
    TokenReader in("none 0 0 1 0");
    auto polygon = readPolygon(in, textures);
    ASSERT_TRUE(polygon);
    EXPECT_TRUE(polygon->vertices.empty());
}

TEST(PolygonRecord, RefusesEveryTruncation)
{
    const auto words = tokens(twoVertexPolygon);
    for (std::size_t count = 0; count < words.size(); ++count) {
        TextureCache textures;
        TokenReader in(join(words, count));
        EXPECT_FALSE(readPolygon(in, textures)) << "after " << count << " tokens";
        EXPECT_FALSE(in.ok());
    }
}

TEST(PolygonRecord, RefusesBadCountsAndNames)
{
    const char* bad[] = {
        "t 0 1 0 -1",                // negative count
        "t 0 1 0 2147483647 1 2 3",  // far more vertices than the file holds
        "t 0 1 0 1.5 1 2 3",         // not an integer
        "t 0 1 zero 0",              // not a number
        "t 0 1 0 1 1 2 3 4 5 6 7 8 9 10 nan",
    };
    for (const char* text : bad) {
        TextureCache textures;
        TokenReader in(text);
        EXPECT_FALSE(readPolygon(in, textures)) << text;
        EXPECT_FALSE(in.ok()) << text;
    }
    TextureCache textures;
    TokenReader longName(std::string(256, 'a') + " 0 1 0 0");
    EXPECT_FALSE(readPolygon(longName, textures));
    TokenReader longestName(std::string(255, 'a') + " 0 1 0 0");
    EXPECT_TRUE(readPolygon(longestName, textures));
}

TEST(PolygonRecord, FailureNamesTheVertex)
{
    TextureCache textures;
    TokenReader in("t 0 1 0 2  1 2 3 4 5 6 7 8 9 10 11  1 2 3 4 5 six" + std::string(40, ' '));
    EXPECT_FALSE(readPolygon(in, textures));
    ASSERT_TRUE(in.failure());
    EXPECT_EQ(in.failure()->context, "vertex 1");
}

const std::string squareRecord =
    "0 1 0 -2\n4\n"
    "1 0 0 0    0 2 0\n"
    "0 0 1 0    1 2 0\n"
    "-1 0 0 1   1 2 1\n"
    "0 0 -1 1   0 2 1\n";

TEST(CollisionPolygonRecord, ReadsPlaneEdgesAndCorners)
{
    TokenReader in(squareRecord);
    auto polygon = readCollisionPolygon(in);
    ASSERT_TRUE(polygon);
    EXPECT_EQ(polygon->plane.b, 1);
    EXPECT_EQ(polygon->plane.d, -2);
    ASSERT_EQ(polygon->edgePlanes.size(), 4u);
    ASSERT_EQ(polygon->vertices.size(), 4u);
    EXPECT_EQ(polygon->edgePlanes[2].a, -1);
    EXPECT_EQ(polygon->edgePlanes[2].d, 1);
    EXPECT_EQ(polygon->vertices[2].position.x, 1);
    EXPECT_EQ(polygon->vertices[2].position.y, 2);
    EXPECT_EQ(polygon->vertices[2].position.z, 1);
    // Only the position comes from the record.
    EXPECT_EQ(polygon->vertices[2].r, 1.0);
    EXPECT_EQ(polygon->vertices[2].u, 0.0);
    EXPECT_TRUE(polygon->contains({0.5, 2, 0.5}));
    EXPECT_FALSE(polygon->contains({1.5, 2, 0.5}));
}

TEST(CollisionPolygonRecord, RefusesTruncationsAndBadCounts)
{
    const auto words = tokens(squareRecord);
    for (std::size_t count = 0; count < words.size(); ++count) {
        TokenReader in(join(words, count));
        EXPECT_FALSE(readCollisionPolygon(in)) << "after " << count << " tokens";
        EXPECT_FALSE(in.ok());
    }
    for (const char* text : {"0 1 0 0 -3", "0 1 0 0 1000000 1 2 3 4 5 6 7"}) {
        TokenReader in(text);
        EXPECT_FALSE(readCollisionPolygon(in)) << text;
    }
    TokenReader in("0 1 0 0 2  1 0 0 0 0 0 0  1 0 0 0 0 zero 0");
    EXPECT_FALSE(readCollisionPolygon(in));
    ASSERT_TRUE(in.failure());
    EXPECT_EQ(in.failure()->context, "corner 1");
}

TEST(CollisionPolygonRecord, WriterRoundTripsExactly)
{
    CollisionPolygon polygon;
    polygon.plane = {0.1, 1.0 / 3.0, -2.5e17, 1e-300};
    polygon.edgePlanes = {{0.7, -0.3, 1e-9, 12345.678901234567}, {-0.0, 2.0 / 3.0, 5e300, -1}};
    polygon.vertices = {Vertex::at({0.1, 0.2, 0.3}), Vertex::at({-7.0 / 9.0, 1e-17, 4})};
    std::string text;
    writeCollisionPolygon(text, polygon);
    TokenReader in(text);
    auto back = readCollisionPolygon(in);
    ASSERT_TRUE(back);
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(back->plane.b, polygon.plane.b);
    EXPECT_EQ(back->plane.c, polygon.plane.c);
    EXPECT_EQ(back->plane.d, polygon.plane.d);
    ASSERT_EQ(back->edgePlanes.size(), 2u);
    EXPECT_EQ(back->edgePlanes[0].d, polygon.edgePlanes[0].d);
    EXPECT_EQ(back->edgePlanes[1].b, polygon.edgePlanes[1].b);
    EXPECT_EQ(back->vertices[1].position.x, polygon.vertices[1].position.x);
    EXPECT_EQ(back->vertices[1].position.y, polygon.vertices[1].position.y);
    std::string again;
    writeCollisionPolygon(again, *back);
    EXPECT_EQ(again, text);
}

TEST(CollisionPolygonContains, UsesTheToleranceAtEveryEdge)
{
    CollisionPolygon polygon;
    polygon.edgePlanes = {{1, 0, 0, 0}, {0, 0, 1, 0}};
    EXPECT_TRUE(polygon.contains({-0.000009, 0, 1}));
    EXPECT_FALSE(polygon.contains({-0.000011, 0, 1}));
    EXPECT_TRUE(polygon.contains({1, 0, -0.000009}));
    EXPECT_FALSE(polygon.contains({1, 0, -0.000011}));
    // Without edge planes everything is inside, whatever the plane says.
    CollisionPolygon open;
    open.plane = {0, 1, 0, 0};
    EXPECT_TRUE(open.contains({1e9, -5, 3}));
}

}  // namespace
