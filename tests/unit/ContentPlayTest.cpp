// The player in the generated canyon, moved by the game's own per-frame
// update at 40 frames a second: the structures can be walked on, climbed,
// jumped across and walked under as they are meant to be.
#include "ContentTestSupport.h"

#include "game/Player.h"
#include "game/PlayerKeys.h"
#include "state/ProgramState.h"

#include "entities/HeightField.h"

#include <algorithm>

namespace {

using content_test::canyonWorld;
using content_test::LoadedCanyon;

constexpr double timeStep = 0.4;

class ContentPlay : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(canyon.world) << lastWorldLoadProblem();
        state.clock.timeStep = timeStep;
    }
    // Stands the player at a floor or top point, looking down -z.
    void standAt(const Vector3& ground) { player.placeAt(ground + Vector3{0, 0.3, 0}); }
    Vector3 position() const { return player.placement.position(); }
    // Runs frames, pressing space again whenever the player lands if asked;
    // returns every body position on the way.
    std::vector<Vector3> run(int frames, bool keepJumping = false)
    {
        std::vector<Vector3> path;
        for (int i = 0; i < frames; ++i) {
            if (keepJumping && player.onGround)
                state.keys.setKey(' ', true, KeyState::characterTable);
            player.update(*canyon.world, state);
            path.push_back(position());
        }
        return path;
    }
    void hold(char key, bool down = true)
    {
        state.keys.setKey(key, down, KeyState::characterTable);
    }

    LoadedCanyon canyon;
    ProgramState& state = programState();
    Player player;
};

// Whether some position of the path stands on the given surface height
// within the given z range.
bool stoodOn(const std::vector<Vector3>& path, double surface, double zFrom, double zTo)
{
    return std::any_of(path.begin(), path.end(), [&](const Vector3& p) {
        return std::fabs(p.y - (surface + 0.3)) < 0.05 && p.z >= std::min(zFrom, zTo) &&
               p.z <= std::max(zFrom, zTo);
    });
}

TEST_F(ContentPlay, TheStartIsSolidGround)
{
    player.placeAt(canyon.world->playerStart);
    const auto path = run(40);
    EXPECT_TRUE(player.onGround);
    EXPECT_NEAR(path.back().y, canyon.world->playerStart.y, 0.02);
    EXPECT_NEAR(path.back().z, canyon.world->playerStart.z, 1e-9);
}

TEST_F(ContentPlay, WalkingDownTheCanyonFromTheStartFollowsTheFloor)
{
    player.placeAt(canyon.world->playerStart);
    hold('w');
    const auto path = run(60);
    EXPECT_LT(path.back().z, canyon.world->playerStart.z - 15.0);
    // Always on (or stepping onto) something: never sinking, never flying.
    for (const Vector3& p : path) {
        const std::optional<TraceHit> ground =
            canyon.world->traceSegment(p + Vector3{0, 0.8, 0}, p - Vector3{0, 2, 0});
        ASSERT_TRUE(ground);
        EXPECT_NEAR(p.y - ground->point.y, 0.3, 0.35) << "at z " << p.z;
    }
}

TEST_F(ContentPlay, TheRampLeadsUpToTheLedgeAndOnToTheBridge)
{
    const tools::CanyonLayout& layout = canyonWorld().layout;
    standAt(layout.rampFoot);
    hold('w');
    const auto path = run(140);
    EXPECT_TRUE(stoodOn(path, layout.ledge.y, layout.ledge.z - 4, layout.ledge.z + 4));
    EXPECT_TRUE(stoodOn(path, layout.bridgeTop.y, 22.0, 28.0));
}

TEST_F(ContentPlay, PillarsCanBeJumpedAcrossOneByOne)
{
    const tools::CanyonLayout& layout = canyonWorld().layout;
    for (std::size_t i = 0; i + 1 < layout.pillarTops.size(); ++i) {
        // A jump towards the next pillar with a short run-up in the air:
        // some run-up must land on it.
        const Vector3 to = layout.pillarTops[i + 1] - layout.pillarTops[i];
        const double turn = std::atan2(-to.x, -to.z) * 180.0 / 3.141592653589793;
        bool landed = false;
        for (int push = 2; push <= 12 && !landed; ++push) {
            player = Player();
            standAt(layout.pillarTops[i]);
            player.placement.rotate({0, turn, 0});
            run(3);
            state.keys.setKey(' ', true, KeyState::characterTable);
            hold('w');
            auto path = run(push);
            hold('w', false);
            const auto rest = run(80);  // a jump is 26 units of time in the air
            path.insert(path.end(), rest.begin(), rest.end());
            landed = stoodOn(path, layout.pillarTops[i + 1].y, layout.pillarTops[i + 1].z - 1.0,
                             layout.pillarTops[i + 1].z + 1.0) &&
                     std::fabs(path.back().y - (layout.pillarTops[i + 1].y + 0.3)) < 0.05;
        }
        EXPECT_TRUE(landed) << "from pillar " << i;
    }
}

TEST_F(ContentPlay, TheRuinsDoorwayLetsThePlayerInUnderTheLowCeiling)
{
    const tools::CanyonLayout& layout = canyonWorld().layout;
    standAt(layout.ruinDoor + Vector3{0, 0, 6});
    hold('w');
    const auto path = run(40);
    // Through the doorway and on inside.
    EXPECT_LT(path.back().z, layout.ruinDoor.z - 2.0);
    // Under the low ceiling the head has room and the eye stays below it.
    standAt(layout.ruinInside);
    const Vector3 body = position();
    EXPECT_FALSE(canyon.world->traceSegment(body, body + Vector3{0, 0.8, 0}));
    EXPECT_LT(body.y + 1.5, layout.ruinCeiling - 0.2);
}

TEST_F(ContentPlay, TheWallsHoldThePlayerIn)
{
    const tools::CanyonLayout& layout = canyonWorld().layout;
    for (const Vector3& spot : layout.openGround) {
        for (const char key : {'a', 'd'}) {
            player = Player();
            standAt(spot);
            hold('a', false);
            hold('d', false);
            hold(key);
            const auto path = run(150);
            // Sideways into the wall and stopped there, still in the canyon.
            EXPECT_LT(std::fabs(path.back().x - path[path.size() - 20].x), 0.05)
                << "at z " << spot.z;
            EXPECT_LT(std::fabs(path.back().x - spot.x), 30.0);
            EXPECT_LT(path.back().y, spot.y + 10.0);
        }
    }
}

// A wall met nearer than the clearance pushes the head point back; near the
// foot of the canyon wall the way back runs into the terrain. Found by a
// chaos walk: strafing left while turning, then walking on, at these frame
// lengths, put the body under the terrain, where no ground probe finds it.
TEST_F(ContentPlay, BackingOffAWallNeverBuriesTheBody)
{
    const Vector3 start{-37.3667, -0.6880, -62.8134};
    // Headings around 158 degrees once Left has turned the body 8 more.
    for (double yaw = 146.0; yaw <= 154.0; yaw += 0.5) {
        SCOPED_TRACE(::testing::Message() << "yaw " << yaw);
        player = Player();
        player.placeAt(start);
        player.placement.rotate({0, yaw, 0});
        state.keys = KeyState{};
        hold('a');
        state.keys.setKey(playerKeys::down, true, KeyState::specialTable);
        state.keys.setKey(playerKeys::left, true, KeyState::specialTable);
        state.clock.timeStep = 1.6;
        run(1);
        state.keys = KeyState{};
        state.keys.setKey(playerKeys::up, true, KeyState::specialTable);
        state.clock.timeStep = 1.40377;
        const auto path = run(3);
        for (const Vector3& p : path) {
            // Above the terrain, with ground under the body.
            const auto terrain = canyon.world->heightFields.front()->intersectSegment(
                {p.x, 200, p.z}, {p.x, -200, p.z});
            ASSERT_TRUE(terrain);
            EXPECT_GT(p.y, terrain->point.y) << "terrain at " << terrain->point.y;
            EXPECT_TRUE(canyon.world->traceSegment(p, p - Vector3{0, 100, 0})) << "at " << p.y;
        }
    }
}

}  // namespace
