#include "ContentTestSupport.h"

#include "commands/BspCommand.h"
#include "content/Demo.h"
#include "game/Player.h"
#include "state/ProgramState.h"

namespace {

using content_test::contentFolder;

const tools::DemoWorld& demoWorld()
{
    static const tools::DemoWorld world = tools::generateDemo();
    return world;
}

// The demo world as the game loads it from Bin/; the current folder is
// restored afterwards.
struct LoadedDemo {
    std::filesystem::path previous = std::filesystem::current_path();
    std::unique_ptr<World> world;

    LoadedDemo()
    {
        std::filesystem::current_path(contentFolder().path() / "Bin");
        world = loadWorld("..\\Worlds\\demo.wrl", true);
    }
    ~LoadedDemo()
    {
        std::error_code ec;
        std::filesystem::current_path(previous, ec);
    }
    LoadedDemo(const LoadedDemo&) = delete;
    LoadedDemo& operator=(const LoadedDemo&) = delete;
};

bool trace(const World& world, const Vector3& a, const Vector3& b, double& distance, Vector3& point,
           Plane& plane)
{
    const std::optional<TraceHit> hit = world.traceSegment(a, b);
    if (!hit) return false;
    distance = hit->distance;
    point = hit->point;
    plane = hit->plane;
    return true;
}

TEST(ContentDemo, LoadsWithoutAnyMessageWithEveryPolygonTexturedAndATree)
{
    LoadedDemo demo;
    ASSERT_TRUE(demo.world) << lastWorldLoadProblem();
    EXPECT_TRUE(fakePlatform().messages.empty()) << fakePlatform().messages.front().text;
    const World& world = *demo.world;
    EXPECT_EQ(world.textures.size(), 1u);
    ASSERT_FALSE(world.bspTree.empty());
    std::size_t polygons = 0;
    for (const auto& object : world.objects) {
        for (const Polygon& p : object->polygons) EXPECT_TRUE(p.texture);
        polygons += object->polygons.size();
    }
    EXPECT_EQ(polygons, demoWorld().worldspawnPolygons);
    EXPECT_TRUE(demoWorld().warnings.empty());
}

TEST(ContentDemo, PlayerStartsAboveTheFloorAndSettlesOnIt)
{
    LoadedDemo demo;
    ASSERT_TRUE(demo.world);
    World& world = *demo.world;
    const Vector3 start = world.playerStart;
    double distance = 0.0;
    Vector3 point;
    Plane plane;
    ASSERT_TRUE(trace(world, start, start - Vector3{0, 10, 0}, distance, point, plane));
    EXPECT_EQ(point.y, 0.0);  // the floor, not a block
    EXPECT_GT(plane.b, 0.99);
    EXPECT_LE(distance, 1.0);  // a short drop at most
    EXPECT_FALSE(trace(world, start, start + Vector3{0, 100, 0}, distance, point, plane));

    // The game's own update brings the player to rest on the floor, in place.
    ProgramState& state = programState();
    state.clock.timeStep = 0.4;
    Player player;
    player.placeAt(start);
    for (int i = 0; i < 40; ++i) player.update(world, state);
    EXPECT_TRUE(player.onGround);
    EXPECT_NEAR(player.placement.position().y, 0.3, 0.02);
    EXPECT_NEAR(player.placement.position().x, start.x, 1e-9);
    EXPECT_NEAR(player.placement.position().z, start.z, 1e-9);
}

TEST(ContentDemo, EveryBlockIsInSightAheadOfTheStart)
{
    LoadedDemo demo;
    ASSERT_TRUE(demo.world);
    const World& world = *demo.world;
    const Vector3 eye = world.playerStart + Vector3{0, 1.5, 0};
    ASSERT_EQ(demoWorld().blocks.size(), 4u);
    for (const tools::DemoBlock& block : demoWorld().blocks) {
        const Vector3 centre = (block.lo + block.hi) * 0.5;
        EXPECT_LT(centre.z, eye.z);  // the player looks down -z
        double distance = 0.0;
        Vector3 point;
        Plane plane;
        ASSERT_TRUE(trace(world, eye, centre, distance, point, plane));
        // The first thing the line of sight meets is the block itself.
        EXPECT_GE(point.x, block.lo.x - 1e-9);
        EXPECT_LE(point.x, block.hi.x + 1e-9);
        EXPECT_GE(point.z, block.lo.z - 1e-9);
        EXPECT_LE(point.z, block.hi.z + 1e-9);
    }
}

TEST(ContentDemo, IsTheSameOnEveryRunAndTheBspCommandReproducesIt)
{
    EXPECT_TRUE(tools::generateDemo().text == demoWorld().text);
    std::string problem;
    const auto rebuilt = tools::rebuildBsp(demoWorld().text, "demo.wrl", problem);
    ASSERT_TRUE(rebuilt) << problem;
    EXPECT_TRUE(rebuilt->replacedSection);
    EXPECT_TRUE(rebuilt->text == demoWorld().text);
}

}  // namespace
