#include "WorldTestFiles.h"
#include "support/TestEnvironment.h"

#include "app/GameEngine.h"
#include "entities/Light.h"
#include "entities/Skybox.h"
#include "entities/Teapot.h"
#include "entities/Vehicle.h"
#include "game/Frame.h"
#include "game/Player.h"
#include "state/ProgramState.h"
#include "world/FrameContext.h"
#include "world/ObjectFactory.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace worldtest;

namespace {

// Records are read in a runtime tree like the game's: Bin/ is the current
// directory and textures lie in ../Textures.
class Scenery : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(dir.path() / "Bin");
        std::filesystem::current_path(dir.path() / "Bin");
    }

    template <typename T>
    std::unique_ptr<T> read(const std::string& text)
    {
        TokenReader in(text);
        std::unique_ptr<Object> object = readObject(in, world);
        if (!object) return nullptr;
        auto* typed = dynamic_cast<T*>(object.get());
        EXPECT_TRUE(typed) << text;
        if (!typed) return nullptr;
        object.release();
        return std::unique_ptr<T>(typed);
    }

    FrameContext frame(double timeStep = 1.0, Rider* rider = nullptr)
    {
        FrameContext context = frameContext(programState(), world, rider);
        context.timeStep = timeStep;
        return context;
    }

    TempDir dir;
    World world;
};

std::string skyFace(const std::string& texture, int corners = 4)
{
    const std::vector<Vector3> square = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}};
    return polygonRecord(texture, {0, 0, 1},
                         std::vector<Vector3>(square.begin(), square.begin() + corners));
}

// The player's part a vehicle moves, at a position with the world's axes.
// It is set down untraced; the player's own trace is tested with the player.
struct TestRider {
    explicit TestRider(const Vector3& at) : placement(Placement::at(at)) {}
    Vector3 position() const { return placement.position(); }

    Placement placement;
    Object* vehicle = nullptr;
    Rider rider{&placement, &vehicle,
                [this](const Vector3& step, const FrameContext&) { placement.translate(step); }};
};

KeyState& keys() { return programState().keys; }
void pressEnter() { keys().setKey(Vehicle::enterKey, true, KeyState::characterTable); }
bool enterDown() { return keys().isKeyDown(Vehicle::enterKey, KeyState::characterTable); }

}  // namespace

// --- Skybox -------------------------------------------------------------

TEST_F(Scenery, SkyFacesMoveTheirCornersHalfATexelInward)
{
    dir.write("Textures/wide.bmp", solidBitmap(256, 64, {0, 0, 255}));
    dir.write("Textures/small.bmp", solidBitmap(8, 2, {0, 0, 255}));
    const std::string wide = "..\\Textures\\wide.bmp";
    // Faces 1 to 6 (one without texture, one a triangle), then the cloud
    // layer and an eighth polygon, which are never moved.
    auto sky = read<Skybox>("Skybox 8 " + skyFace(wide) + skyFace("..\\Textures\\small.bmp") +
                            skyFace("none") + skyFace(wide, 3) + skyFace(wide) + skyFace(wide) +
                            skyFace(wide) + skyFace(wide));
    ASSERT_TRUE(sky);
    ASSERT_EQ(sky->polygons.size(), 8u);

    const double corner[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const double inward[4][2] = {{1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
    struct Case {
        std::size_t face;
        double du, dv;  // the expected shift's size
    };
    for (const Case c :
         {Case{0, 0.5 / 256, 0.5 / 64}, Case{1, 0.5 / 8, 0.5 / 2}, Case{2, 0, 0}, Case{3, 0, 0},
          Case{5, 0.5 / 256, 0.5 / 64}, Case{6, 0, 0}, Case{7, 0, 0}}) {
        SCOPED_TRACE("face " + std::to_string(c.face));
        const std::vector<Vertex>& v = sky->polygons[c.face].vertices;
        for (std::size_t k = 0; k < v.size(); ++k) {
            EXPECT_EQ(v[k].u, corner[k][0] + inward[k][0] * c.du) << "vertex " << k;
            EXPECT_EQ(v[k].v, corner[k][1] + inward[k][1] * c.dv) << "vertex " << k;
        }
    }
    EXPECT_EQ(sky->polygons[0].vertices[0].u, 0.001953125);
    EXPECT_EQ(sky->cloudOffset, Vector3());
    EXPECT_STREQ(sky->className(), "Skybox");
}

TEST_F(Scenery, CloudOffsetDriftsAndWrapsOncePerFrame)
{
    struct Case {
        double u, v, timeStep, expectU, expectV;
    };
    for (const Case c :
         {Case{0.9998, 0.0, 1.0, 0.0003, 0.0003}, Case{0.0, 0.9999, 1.6, 0.0008, 0.00038},
          Case{0.25, 0.5, 0.4, 0.2502, 0.50012}, Case{0.9995, 0.9997, 1.0, 0.0, 0.0}}) {
        SCOPED_TRACE(testing::Message() << c.u << ", " << c.v << " by " << c.timeStep);
        Skybox sky({});
        sky.cloudOffset = {c.u, c.v, 0.0};
        sky.update(frame(c.timeStep));
        EXPECT_NEAR(sky.cloudOffset.x, c.expectU, 1e-12);
        EXPECT_NEAR(sky.cloudOffset.y, c.expectV, 1e-12);
        EXPECT_EQ(sky.cloudOffset.z, 0.0);
    }
}

TEST_F(Scenery, ASkyboxWithABadPolygonLeavesNothing)
{
    dir.write("Textures/wide.bmp", solidBitmap(256, 64, {0, 0, 255}));
    const std::string good = skyFace("..\\Textures\\wide.bmp");
    const std::string bad = "none 0 0 1 4  0 0 0 0 0 0 0 1 1 1 1 oops\n";
    for (const std::string& record :
         {"Skybox 3 " + good + bad + good, "Skybox 3 " + good + good, "Skybox 9999999 " + good}) {
        World fresh;
        TokenReader in(record);
        EXPECT_FALSE(readObject(in, fresh));
        EXPECT_FALSE(in.ok());
    }
    // Through the loader: one box and no world.
    const std::string path =
        dir.write("Worlds/sky.wrl", "0 0 0 1 1 1 0 1 Skybox 3 " + good + bad + good);
    EXPECT_FALSE(loadWorld(path, true));
    ASSERT_EQ(fakePlatform().messages.size(), 1u);
    EXPECT_EQ(fakePlatform().messages[0].text, "Unable to load an object");
    EXPECT_NE(lastWorldLoadProblem().find("polygon 1"), std::string::npos)
        << lastWorldLoadProblem();
}

// --- Light --------------------------------------------------------------

TEST_F(Scenery, LightsReadEightNumbersAndTheCoronaOnlyWhenSized)
{
    const std::string corona = "Textures/corona.tga";
    struct Case {
        const char* record;
        bool coronaFile;
        bool expectCorona;
    };
    for (const Case c : {Case{"Light 1 2 3 0.5 0.25 1 20 1.5", true, true},
                         Case{"Light 1 2 3 0.5 0.25 1 20 0", true, false},
                         Case{"Light 1 2 3 0.5 0.25 1 20 -1", true, false},
                         Case{"Light 1 2 3 0.5 0.25 1 20 1.5", false, false}}) {
        SCOPED_TRACE(testing::Message()
                     << c.record << (c.coronaFile ? " with" : " without") << " file");
        std::filesystem::remove(dir.path() / corona);
        imagetest::Tga picture;
        picture.pixels = {255, 255, 255};
        if (c.coronaFile) dir.write(corona, imagetest::tgaFile(picture));
        World fresh;
        TokenReader in(c.record);
        auto object = readObject(in, fresh);
        ASSERT_TRUE(object);
        const auto& light = dynamic_cast<const Light&>(*object);
        EXPECT_EQ(light.position, Vector3(1, 2, 3));
        EXPECT_EQ(light.red, 0.5);
        EXPECT_EQ(light.green, 0.25);
        EXPECT_EQ(light.blue, 1.0);
        EXPECT_EQ(light.range, 20.0);
        EXPECT_EQ(light.coronaTexture != nullptr, c.expectCorona);
        // Only a sized corona asks for the picture.
        EXPECT_EQ(fresh.textures.size(), c.expectCorona ? 1u : 0u);
        EXPECT_TRUE(fakePlatform().messages.empty());
    }
    for (const char* truncated : {"Light 1 2 3 0.5 0.25 1 20", "Light 1 2 3 red 0.25 1 20 1"}) {
        World fresh;
        TokenReader in(truncated);
        EXPECT_FALSE(readObject(in, fresh)) << truncated;
    }
}

// --- Vehicle ------------------------------------------------------------

TEST_F(Scenery, VehiclesBoardWithinTheirRangeOnly)
{
    struct Case {
        Vector3 vehicle;
        double range;
        Vector3 player;
        bool boards;
    };
    for (const Case c : {Case{{3, 0, 4}, 5, {0, 0, 0}, true},        // exactly at the range
                         Case{{3, 0, 4}, 5, {0, 0, -0.001}, false},  // just beyond
                         Case{{3, 0, 4}, 5, {2, 1, 3}, true},
                         Case{{1, 2, 3}, 0, {1, 2, 3}, true},  // range 0: only right there
                         Case{{1, 2, 3}, 0, {1, 2, 3.000001}, false}}) {
        SCOPED_TRACE(testing::Message() << "range " << c.range << " from z " << c.player.z);
        auto vehicle = read<Vehicle>("Vehicle 1 1 1 " + std::to_string(c.vehicle.x) + " " +
                                     std::to_string(c.vehicle.y) + " " +
                                     std::to_string(c.vehicle.z) + " " + std::to_string(c.range));
        ASSERT_TRUE(vehicle);
        TestRider player(c.player);
        pressEnter();
        vehicle->update(frame(1.0, &player.rider));
        EXPECT_EQ(vehicle->occupied, c.boards);
        EXPECT_EQ(player.vehicle, c.boards ? vehicle.get() : nullptr);
        // A transition takes the key; nothing happening leaves it down.
        EXPECT_EQ(enterDown(), !c.boards);
        EXPECT_EQ(player.position(), c.boards ? c.vehicle : c.player);
        if (c.boards) {
            EXPECT_EQ(player.placement.inverse(), vehicle->placement.inverse());
        }
        keys().clear();
    }
}

TEST_F(Scenery, EnterHeldOutOfRangeBoardsOnceInRange)
{
    auto vehicle = read<Vehicle>("Vehicle 1 1 1  0 0 -10  2");
    ASSERT_TRUE(vehicle);
    TestRider player({0, 0, 0});
    pressEnter();
    // Walking towards it with Enter held: nothing until within 2.
    for (double z = 0; z >= -8; z -= 1) {
        player.placement = Placement::at({0, 0, z});
        vehicle->update(frame(1.0, &player.rider));
        EXPECT_EQ(vehicle->occupied, z <= -8) << "at z " << z;
    }
    EXPECT_FALSE(enterDown());
    // Without Enter nothing happens at all.
    vehicle->update(frame(1.0, &player.rider));
    EXPECT_TRUE(vehicle->occupied);
    // And no player, no boarding: tools and tests run updates without one.
    pressEnter();
    vehicle->update(frame(1.0, nullptr));
    EXPECT_TRUE(vehicle->occupied);
    EXPECT_TRUE(enterDown());
}

TEST_F(Scenery, OfTwoVehiclesInRangeTheEarlierBoardsAndLeavingTakesASecondPress)
{
    world.add(read<Vehicle>("Vehicle 1 1 1  1 0 0  5"), EntityRole::scenery);
    world.add(read<Vehicle>("Vehicle 1 1 1  -1 0 0  5"), EntityRole::scenery);
    auto& first = dynamic_cast<Vehicle&>(*world.objects[0]);
    auto& second = dynamic_cast<Vehicle&>(*world.objects[1]);
    TestRider player({0, 0, 0});

    pressEnter();
    world.update(frame(1.0, &player.rider));
    EXPECT_TRUE(first.occupied);
    EXPECT_FALSE(second.occupied);
    EXPECT_EQ(player.vehicle, &first);
    EXPECT_EQ(player.position(), Vector3(1, 0, 0));
    // The boarding press is spent: the next frame does not leave.
    world.update(frame(1.0, &player.rider));
    EXPECT_TRUE(first.occupied);

    // The player turns a quarter left aboard; the vehicle follows (as the
    // player's update does), then a second press leaves: set down 2 to the
    // player's own left and 1 behind.
    player.placement.rotate({0, 90, 0});
    first.placement = player.placement;
    pressEnter();
    world.update(frame(1.0, &player.rider));
    EXPECT_FALSE(first.occupied);
    EXPECT_FALSE(second.occupied);  // the spent key does not board the other
    EXPECT_EQ(player.vehicle, nullptr);
    EXPECT_FALSE(enterDown());
    const Vector3 at = player.position();
    // Facing -x after the turn: left is +z, behind is +x.
    EXPECT_NEAR(at.x, 1 + 1, 1e-12);
    EXPECT_NEAR(at.z, 0 + 2, 1e-12);
    const Vector3 back = transformPoint(at, player.placement.inverse());
    EXPECT_NEAR(back.length(), 0.0, 1e-12);
    // The vehicle stays where it was left.
    EXPECT_EQ(first.placement.position(), Vector3(1, 0, 0));
}

TEST_F(Scenery, VehicleAndTeapotRecordsRefuseBadNumbers)
{
    for (const char* record :
         {"Vehicle 1 1 1 0 0 0", "Vehicle 1 1 1 0 0 0 x", "Teapot 1 1 1 0 0 0 1.5 0",
          "Teapot 1 1 1 0 0 0 1", "Teapot 1 1 one 0 0 0 1 0"}) {
        World fresh;
        TokenReader in(record);
        EXPECT_FALSE(readObject(in, fresh)) << record;
    }
    auto vehicle = read<Vehicle>("Vehicle 2 3 4  5 6 7  3");
    ASSERT_TRUE(vehicle);
    EXPECT_STREQ(vehicle->className(), "ControllableObject");
    EXPECT_EQ(vehicle->scale, Vector3(2, 3, 4));
    EXPECT_EQ(vehicle->enterRangeSquared, 9.0);
    EXPECT_EQ(vehicle->placement.position(), Vector3(5, 6, 7));
    EXPECT_EQ(vehicle->placement.inverse().translation(), Vector3(-5, -6, -7));
    EXPECT_FALSE(vehicle->occupied);
}

TEST_F(Scenery, TheDrivenVehicleFollowsThePlayerAndIsForgottenWithItsWorld)
{
    // A floor, and a vehicle two ahead of the start.
    const std::string path =
        dir.write("Worlds/ride.wrl", "0 0.3 0  1 1 1  0  2 worldspawn 1 " +
                                         polygonRecord("none", {0, 1, 0}, floorCorners(50)) +
                                         "Vehicle 1 1 1  0 0.3 -2  3\n");
    Player player;
    ProgramState& state = programState();
    GameEngine engine(player, state);
    engine.loadWorld(path);
    ASSERT_TRUE(engine.world());
    state.settings.collision = false;  // no BSP tree here: the body just moves

    pressEnter();
    engine.update();
    ASSERT_TRUE(player.vehicle);
    auto& vehicle = dynamic_cast<Vehicle&>(*player.vehicle);
    EXPECT_EQ(player.placement.position(), Vector3(0, 0.3, -2));

    // Driving: every move of the body carries the vehicle.
    keys().setKey('w', true, KeyState::characterTable);
    keys().setKey('a', true, KeyState::characterTable);
    for (int i = 0; i < 5; ++i) {
        engine.update();
        EXPECT_EQ(vehicle.placement.transform(), player.placement.transform());
        EXPECT_EQ(vehicle.placement.inverse(), player.placement.inverse());
    }
    EXPECT_LT(player.placement.position().z, -2.5);

    // Releasing the world (as "Run World" does first) leaves nothing dangling.
    fakePlatform().fileChoices.push_back(std::nullopt);
    engine.runWorld();
    EXPECT_FALSE(engine.world());
    EXPECT_EQ(player.vehicle, nullptr);
}

// --- Teapot -------------------------------------------------------------

TEST_F(Scenery, TeapotsTurnFiveDegreesAFrameAndLoseOneTurnAtMost)
{
    struct Case {
        double start;
        std::vector<double> frames;
    };
    for (const Case& c : {Case{357.5, {2.5, 7.5}}, Case{720, {365, 10, 15}},
                          Case{354.999, {359.999, 4.999}}, Case{-30, {-25}}}) {
        SCOPED_TRACE(c.start);
        auto teapot = read<Teapot>("Teapot 1 1 1  0 0 0  2 " + std::to_string(c.start));
        ASSERT_TRUE(teapot);
        EXPECT_STREQ(teapot->className(), "Object");
        EXPECT_EQ(teapot->style, 2);
        // Whatever the time step.
        for (std::size_t i = 0; i < c.frames.size(); ++i) {
            teapot->update(frame(i % 2 ? 1.6 : 0.1));
            EXPECT_NEAR(teapot->angle, c.frames[i], 1e-9) << "frame " << i;
        }
    }
}
