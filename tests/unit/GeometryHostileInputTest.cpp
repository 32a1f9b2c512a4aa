// Damaged BSP sections and heightfield records: every read either refuses
// cleanly or yields a tree or terrain whose queries stay finite and quick.

#include "GeometryTestSupport.h"

#include "textures/TextureCache.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using namespace geometry_test;

namespace {

std::vector<std::string> split(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

const char* const replacements[] = {"0",        "1",           "-1",         "2",   "7",
                                    "1e308",    "-1e308",      "1e-320",     "nan", "inf",
                                    "99999999", "-2147483648", "4294967296", "x",   "0.5"};

std::string damaged(const std::vector<std::string>& words)
{
    std::vector<std::string> out = words;
    const int changes = 1 + std::rand() % 3;
    for (int k = 0; k < changes; ++k) {
        const std::size_t at = static_cast<std::size_t>(std::rand()) % out.size();
        switch (std::rand() % 3) {
        case 0: out[at] = replacements[std::rand() % std::size(replacements)]; break;
        case 1: out.erase(out.begin() + static_cast<long>(at)); break;
        default:
            out.insert(out.begin() + static_cast<long>(at),
                       replacements[std::rand() % std::size(replacements)]);
        }
        if (out.empty()) break;
    }
    std::string text;
    for (const std::string& w : out) text += w + " ";
    return text;
}

void expectSaneTraces(const World& world)
{
    const Vector3 ends[][2] = {{{0, 10, 0}, {0, -10, 0}},
                               {{-20, 1, -20}, {20, -1, 20}},
                               {{5, 0, -3}, {-4, 0.5, 8}},
                               {{1e9, 1e9, 1e9}, {-1e9, -1e9, -1e9}}};
    for (const auto& e : ends) {
        if (const std::optional<TraceHit> hit = world.traceSegment(e[0], e[1])) {
            EXPECT_TRUE(std::isfinite(hit->distance));
            EXPECT_TRUE(std::isfinite(hit->point.x) && std::isfinite(hit->point.y) &&
                        std::isfinite(hit->point.z));
        }
    }
}

TEST(GeometryHostileInput, DamagedBspSections)
{
    std::vector<Rectangle> rooms = {{0, 1, 1, {0, -2, -2}, {0, 2, 2}},
                                    {1, 0, 1, {-3, 0, -3}, {3, 0, 3}},
                                    {2, -1, -1, {-1, -1, 0}, {1, 1, 0}},
                                    {0, -2, 1, {0, -1, -1}, {0, 1, 1}}};
    auto tree = buildBsp(rooms);
    std::string text;
    writeBspTree(text, tree.get());
    const auto words = split(text);
    std::srand(99);
    int read = 0;
    for (int k = 0; k < 3000; ++k) {
        TokenReader in(damaged(words));
        World world;
        world.bspTree = readBspTree(in);
        if (!in.ok()) {
            EXPECT_TRUE(world.bspTree.empty());
            continue;
        }
        ++read;
        if (!world.bspTree.empty()) {
            EXPECT_LE(world.bspTree.root()->depth(), maximumBspDepth);
        }
        expectSaneTraces(world);
    }
    EXPECT_GT(read, 0);
}

TEST(GeometryHostileInput, DamagedHeightFields)
{
    auto field = makeField(3, 3, -2, -2, 2, [](int i, int j) { return 0.3 * i - 0.2 * j; });
    std::ostringstream out;
    out.precision(17);
    out << "3 3 ground.bmp\n";
    for (const Vertex& v : field->grid.vertices)
        out << v.position.x << " " << v.position.y << " " << v.position.z << " 0 0 0 1 0 1 1 1\n";
    std::string text = out.str();
    for (const CollisionPolygon& t : field->grid.triangles) writeCollisionPolygon(text, t);
    const auto words = split(text);
    std::srand(7);
    int read = 0;
    for (int k = 0; k < 3000; ++k) {
        TokenReader in(damaged(words));
        TextureCache textures;
        World world;
        std::unique_ptr<HeightField> loaded = readHeightField(in, textures);
        EXPECT_EQ(loaded == nullptr, !in.ok());
        if (!loaded) continue;
        ++read;
        EXPECT_EQ(loaded->grid.vertices.size(),
                  static_cast<std::size_t>(loaded->grid.columns * loaded->grid.rows));
        EXPECT_EQ(
            loaded->grid.triangles.size(),
            static_cast<std::size_t>((loaded->grid.rows - 1) * (2 * loaded->grid.columns - 2)));
        world.add(std::move(loaded), EntityRole::terrain);
        expectSaneTraces(world);
    }
    EXPECT_GT(read, 0);
}

}  // namespace
