#include "ContentTestSupport.h"

#include "bsp/CollisionBuilder.h"
#include "commands/BspCommand.h"
#include "content/Canyon.h"
#include "content/CanyonShape.h"
#include "content/ContentGenerator.h"
#include "entities/HeightField.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sstream>

namespace {

using content_test::canyonWorld;
using content_test::LoadedCanyon;

struct Hit {
    bool hit = false;
    double distance = 0.0;
    Vector3 point;
    Plane plane;
};

Hit trace(const World& world, const Vector3& a, const Vector3& b)
{
    Hit h;
    if (const std::optional<TraceHit> found = world.traceSegment(a, b)) {
        h = {true, found->distance, found->point, found->plane};
    }
    return h;
}

const HeightField* terrainOf(const World& world)
{
    for (const auto& object : world.objects) {
        if (std::strcmp(object->className(), "HeightField") == 0)
            return static_cast<const HeightField*>(object.get());
    }
    return nullptr;
}

TEST(ContentCanyon, LoadsWithoutAnyMessageAndHoldsTerrainStructuresAndTree)
{
    LoadedCanyon canyon;
    ASSERT_TRUE(canyon.world) << lastWorldLoadProblem();
    EXPECT_TRUE(fakePlatform().messages.empty()) << fakePlatform().messages.front().text;
    const World& world = *canyon.world;
    // Listed; the sky's seven; the lights' and the bursts' coronas.
    EXPECT_EQ(world.textures.size(), 8u + 7u + 2u);
    EXPECT_TRUE(world.cloudTexture);
    ASSERT_FALSE(world.bspTree.empty());
    const HeightField* terrain = terrainOf(world);
    ASSERT_TRUE(terrain);
    EXPECT_GE(terrain->grid.columns - 1, 64);
    EXPECT_GE(terrain->grid.rows - 1, 64);
    // Every worldspawn polygon and the terrain have their texture.
    std::size_t polygons = 0;
    for (const auto& object : world.objects) {
        for (const Polygon& p : object->polygons) EXPECT_TRUE(p.texture);
        polygons += object->polygons.size();
    }
    EXPECT_TRUE(terrain->texture);
    // A moderate count keeps the game fast.
    EXPECT_GT(polygons, 500u);
    EXPECT_LT(polygons, 3000u);
    EXPECT_EQ(world.bspTree.root()->depth(), canyonWorld().bsp.depth);
    EXPECT_LE(world.bspTree.root()->depth(), 64);
}

TEST(ContentCanyon, PlayerStartsOnTheGroundFacingDownTheCanyon)
{
    LoadedCanyon canyon;
    ASSERT_TRUE(canyon.world);
    const World& world = *canyon.world;
    const Vector3 start = world.playerStart;
    const Hit ground = trace(world, start, start - Vector3{0, 10, 0});
    ASSERT_TRUE(ground.hit);
    EXPECT_NEAR(ground.distance, 0.3, 0.01);
    EXPECT_GT(ground.plane.b, 0.9);  // level enough to stand on
    // Looking along -z at eye height there is a long view before any wall.
    const Vector3 eye = start + Vector3{0, 1.5, 0};
    const Hit view = trace(world, eye, eye + Vector3{0, 0, -400});
    EXPECT_TRUE(!view.hit || view.distance > 20.0);
    // Nothing overhead.
    EXPECT_FALSE(trace(world, eye, eye + Vector3{0, 100, 0}).hit);
}

TEST(ContentCanyon, StructuresCanBeStoodOnWalkedUnderAndAreEnclosed)
{
    LoadedCanyon canyon;
    ASSERT_TRUE(canyon.world);
    const World& world = *canyon.world;
    const tools::CanyonLayout& layout = canyonWorld().layout;
    auto groundBelow = [&](const Vector3& p) {
        return trace(world, p + Vector3{0, 1.0, 0}, p - Vector3{0, 3.0, 0});
    };
    // On the deck, on the ledge and on every pillar top: ground right there.
    for (const Vector3& top : {layout.bridgeTop, layout.ledge}) {
        const Hit h = groundBelow(top);
        ASSERT_TRUE(h.hit);
        EXPECT_NEAR(h.point.y, top.y, 1e-6);
    }
    ASSERT_EQ(layout.pillarTops.size(), 5u);
    for (std::size_t i = 0; i < layout.pillarTops.size(); ++i) {
        const Hit h = groundBelow(layout.pillarTops[i]);
        ASSERT_TRUE(h.hit);
        EXPECT_NEAR(h.point.y, layout.pillarTops[i].y, 1e-6);
        // Each one higher than the last, by no more than a jump.
        if (i > 0) {
            EXPECT_GT(layout.pillarTops[i].y, layout.pillarTops[i - 1].y);
            EXPECT_LT(layout.pillarTops[i].y - layout.pillarTops[i - 1].y, 2.0);
        }
    }
    // Under the arch: head room for the player (eye 1.8 above the ground).
    const Hit arch =
        trace(world, layout.underArch + Vector3{0, 0.3, 0}, layout.underArch + Vector3{0, 20, 0});
    ASSERT_TRUE(arch.hit);
    EXPECT_GT(arch.distance, 3.0);
    EXPECT_LT(arch.distance, 7.0);  // and the arch is really there
    // The ruin: a low ceiling above its back half, open sky at its door.
    const Hit ceiling =
        trace(world, layout.ruinInside + Vector3{0, 0.3, 0}, layout.ruinInside + Vector3{0, 20, 0});
    ASSERT_TRUE(ceiling.hit);
    EXPECT_NEAR(ceiling.point.y, layout.ruinCeiling, 1e-6);
    EXPECT_GT(ceiling.point.y - layout.ruinInside.y, 2.0);
    // The doorway is wider than the player's 1.2 clearance on both sides.
    const Vector3 door = layout.ruinDoor + Vector3{0, 1.1, 0};
    for (const double side : {-1.0, 1.0}) {
        const Hit jamb = trace(world, door, door + Vector3{side * 10, 0, 0});
        ASSERT_TRUE(jamb.hit);
        EXPECT_GT(jamb.distance, 1.2);
    }
    // Walls all round: from the middle of the canyon at head height, every
    // horizontal direction meets rock or a structure; high above the rim,
    // the surfaces that close the level.
    for (const Vector3& spot : layout.openGround) {
        for (const double height : {1.1, 50.0}) {
            for (int k = 0; k < 16; ++k) {
                const double a = k * 6.283185307179586 / 16;
                const Vector3 from = spot + Vector3{0, height, 0};
                EXPECT_TRUE(
                    trace(world, from, from + Vector3{std::cos(a), 0, std::sin(a)} * 400).hit)
                    << "from z " << spot.z << " at " << height << " towards " << k;
            }
        }
    }
}

TEST(ContentCanyon, TerrainTrianglesMatchTheDrawnStripAndFaceUp)
{
    LoadedCanyon canyon;
    ASSERT_TRUE(canyon.world);
    const HeightField* terrain = terrainOf(*canyon.world);
    ASSERT_TRUE(terrain);
    const int columns = terrain->grid.columns;
    ASSERT_EQ(terrain->grid.triangles.size(),
              static_cast<std::size_t>((terrain->grid.rows - 1) * (2 * columns - 2)));
    auto at = [&](int i, int j) {
        const Vertex& v = terrain->grid.vertices[static_cast<std::size_t>(j * columns + i)];
        return v.position;
    };
    for (int j = 0; j + 1 < terrain->grid.rows; ++j) {
        for (int i = 0; i + 1 < columns; ++i) {
            const std::size_t n = static_cast<std::size_t>((2 * columns - 2) * j + 2 * i);
            // The strip draws (i, j), (i, j+1), (i+1, j) then (i, j+1), (i+1, j), (i+1, j+1).
            const std::vector<std::vector<Vector3>> expected = {
                {at(i, j), at(i, j + 1), at(i + 1, j)},
                {at(i, j + 1), at(i + 1, j + 1), at(i + 1, j)}};
            for (int t = 0; t < 2; ++t) {
                const CollisionPolygon& triangle =
                    terrain->grid.triangles[n + static_cast<std::size_t>(t)];
                ASSERT_EQ(triangle.vertices.size(), 3u);
                EXPECT_GT(triangle.plane.b, 0.0);
                Vector3 centre;
                for (const Vector3& corner : expected[static_cast<std::size_t>(t)]) {
                    EXPECT_NEAR(triangle.plane.distance(corner), 0.0, 1e-9);
                    centre += corner / 3.0;
                }
                EXPECT_TRUE(triangle.contains(centre));
                for (std::size_t k = 0; k < 3; ++k) {
                    EXPECT_EQ(tools::position(triangle.vertices[k]).x,
                              expected[static_cast<std::size_t>(t)][k].x);
                    EXPECT_EQ(tools::position(triangle.vertices[k]).z,
                              expected[static_cast<std::size_t>(t)][k].z);
                }
            }
        }
    }
}

TEST(ContentCanyon, TracesOnTheCompiledTreeMatchBruteForceOverTheWorldspawnPolygons)
{
    const tools::CanyonWorld& canyon = canyonWorld();
    std::string problem;
    const auto entities = tools::readWorldEntities(canyon.text, "canyon.wrl", problem);
    ASSERT_TRUE(entities) << problem;
    const auto compiled = tools::compileBsp(entities->worldspawn);
    ASSERT_TRUE(compiled.root);
    const auto source = tools::collisionPolygons(entities->worldspawn);
    EXPECT_EQ(source.size(), entities->worldspawn.size());  // nothing degenerate
    // Player-like probes: downward ground probes and level wall probes along the canyon.
    int compared = 0;
    for (double z = -145; z < 145; z += 3.7) {
        for (double dx = -22; dx <= 22; dx += 2.9) {
            const double x = tools::canyon::centreX(z) + dx;
            for (const auto& [a, b] : {std::pair{Vector3{x, 40, z}, Vector3{x, -10, z}},
                                       std::pair{Vector3{x, 2, z}, Vector3{x + 30, 2, z + 7}}}) {
                double bestDistance = 1e300;
                for (const CollisionPolygon& p : source) {
                    const double dA = p.plane.distance(a), dB = p.plane.distance(b);
                    if ((dA > -planeEpsilon && dB > -planeEpsilon) ||
                        (dA < planeEpsilon && dB < planeEpsilon))
                        continue;
                    const Vector3 at = a + (b - a) * (dA / (dA - dB));
                    if (p.contains(at)) bestDistance = std::min(bestDistance, (at - a).length());
                }
                const std::optional<TraceHit> found =
                    compiled.root->referenceIntersectSegment(a, b);
                const bool hit = found.has_value();
                const double distance = hit ? found->distance : 0.0;
                ASSERT_EQ(hit, bestDistance < 1e300)
                    << a.x << " " << a.y << " " << a.z << " -> " << b.x << " " << b.y << " " << b.z
                    << " best " << bestDistance;
                if (hit) {
                    EXPECT_NEAR(distance, bestDistance, 1e-6);
                }
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 1000);
}

TEST(ContentCanyon, IsTheSameOnEveryRunAndTheBspCommandReproducesIt)
{
    const tools::CanyonWorld again = tools::generateCanyon();
    EXPECT_TRUE(again.text == canyonWorld().text);
    EXPECT_TRUE(canyonWorld().warnings.empty());

    // The BSP command compiles what is drawn: all of the canyon but the
    // collision-only surfaces above its rim.
    std::string problem;
    const auto rebuilt = tools::rebuildBsp(canyonWorld().text, "canyon.wrl", problem);
    ASSERT_TRUE(rebuilt) << problem;
    EXPECT_TRUE(rebuilt->replacedSection);
    EXPECT_FALSE(rebuilt->text == canyonWorld().text);
    tools::CanyonOptions unclipped;
    unclipped.rimClips = false;
    EXPECT_TRUE(rebuilt->text == tools::generateCanyon(unclipped).text);
}

}  // namespace
