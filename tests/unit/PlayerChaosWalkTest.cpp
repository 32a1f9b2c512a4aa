// Restless players: seeded random walks drive the game's own per-frame
// update with random keys (Control and Alt too), mouse flicks and frame
// lengths, in the generated canyon and in a terrain world built here. After
// every frame the body is checked against every polygon directly, without
// the BSP tree or the terrain's cell walk:
//  - the motion, raised to the head point, crosses no static polygon (a
//    crossing counts when the body's straight way, the head point's
//    straight way and every way around along the axes all cross: the
//    update moves in a few straight pieces, which may pass a corner the
//    straight line cuts);
//  - there is something under the body, and the body is never below the
//    terrain (which side of the canyon's rock sheets faces the body says
//    nothing: they fold and are open behind);
//  - the body stays inside the level's horizontal bounds and above its
//    lowest surface;
//  - neither the body nor its head point ends a frame inside one of the
//    solid blocks a test world is built of, and the head point never ends
//    on the face of a wall (within the queries' tolerance), from where the
//    next frame's probes would not see it and could walk in.
// A failure names the world, the seed, the frame and that frame's inputs; a
// walk is the same for the same seed, so the seed replays it.
//
// PLAYER_CHAOS_WALKS=n sets the number of walks per world (for long runs);
// sanitizer builds, several times slower, run a quarter of the default.
#include "ContentTestSupport.h"
#include "GeometryTestSupport.h"

#include "game/Player.h"
#include "game/PlayerKeys.h"
#include "import/ImportCommand.h"
#include "state/ProgramState.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

using geometry_test::Rectangle;

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PLAYER_CHAOS_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(PLAYER_CHAOS_SANITIZED)
constexpr int defaultWalks = 50;
#else
constexpr int defaultWalks = 200;
#endif
constexpr int framesPerWalk = 3000;
constexpr double headRoom = 0.8;  // the head point above the body position

int walkCount()
{
    if (const char* text = std::getenv("PLAYER_CHAOS_WALKS")) {
        const int n = std::atoi(text);
        if (n > 0) return n;
    }
    return defaultWalks;
}

// splitmix64: the same numbers on every platform and library.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    double uniform(double lo, double hi)
    {
        return lo + (hi - lo) * static_cast<double>(next() >> 11) * 0x1.0p-53;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    bool chance(double p) { return uniform(0.0, 1.0) < p; }

private:
    std::uint64_t state_;
};

// Every static polygon of a world (tree and terrain), filed in a grid of
// columns over x and z by their bounding boxes, so that a segment is tested
// against every polygon near it by the crossing rule alone.
class Surfaces {
public:
    explicit Surfaces(const World& world)
    {
        geometry_test::collectPolygons(world.bspTree.root(), polygons_);
        firstTerrain_ = polygons_.size();
        for (const HeightGrid* field : world.heightFields) {
            for (const CollisionPolygon& p : field->triangles) polygons_.push_back(&p);
        }
        minX = minZ = lowest = 1e300;
        double maxY = -1e300;
        maxX = maxZ = -1e300;
        for (const CollisionPolygon* p : polygons_) {
            for (const Vertex& v : p->vertices) {
                minX = std::min(minX, v.position.x);
                maxX = std::max(maxX, v.position.x);
                minZ = std::min(minZ, v.position.z);
                maxZ = std::max(maxZ, v.position.z);
                lowest = std::min(lowest, v.position.y);
                maxY = std::max(maxY, v.position.y);
            }
        }
        columns_ = static_cast<int>((maxX - minX) / cellSize) + 1;
        rows_ = static_cast<int>((maxZ - minZ) / cellSize) + 1;
        cells_.resize(static_cast<std::size_t>(columns_ * rows_));
        for (std::size_t k = 0; k < polygons_.size(); ++k) {
            double x0 = 1e300, x1 = -1e300, z0 = 1e300, z1 = -1e300;
            for (const Vertex& v : polygons_[k]->vertices) {
                x0 = std::min(x0, v.position.x);
                x1 = std::max(x1, v.position.x);
                z0 = std::min(z0, v.position.z);
                z1 = std::max(z1, v.position.z);
            }
            forCells(x0, x1, z0, z1, [&](const std::vector<std::size_t>& cell) {
                cells_[static_cast<std::size_t>(&cell - cells_.data())].push_back(k);
            });
        }
        seen_.assign(polygons_.size(), 0);
    }

    struct Crossing {
        double distance = 0.0;
        const CollisionPolygon* polygon = nullptr;
    };

    // The nearest polygon the segment a..b crosses, as the queries define a
    // crossing: its ends on opposite sides, the crossing point inside.
    std::optional<Crossing> nearest(const Vector3& a, const Vector3& b)
    {
        std::optional<Crossing> found;
        ++stamp_;
        forCells(std::min(a.x, b.x), std::max(a.x, b.x), std::min(a.z, b.z), std::max(a.z, b.z),
                 [&](const std::vector<std::size_t>& cell) {
                     for (const std::size_t k : cell) {
                         if (seen_[k] == stamp_) continue;
                         seen_[k] = stamp_;
                         const CollisionPolygon& p = *polygons_[k];
                         const double dA = p.plane.distance(a), dB = p.plane.distance(b);
                         if ((dA > -planeEpsilon && dB > -planeEpsilon) ||
                             (dA < planeEpsilon && dB < planeEpsilon))
                             continue;
                         const Vector3 q = a + (b - a) * (dA / (dA - dB));
                         if (!p.contains(q)) continue;
                         const double d = (q - a).length();
                         if (!found || d < found->distance) found = Crossing{d, &p};
                     }
                 });
        return found;
    }

    // The terrain's height at the body's x and z, when the terrain spans it.
    std::optional<double> terrainUnder(const Vector3& at) const
    {
        const Vector3 top{at.x, 1e4, at.z}, bottom{at.x, -1e4, at.z};
        std::optional<double> height;
        forCells(at.x, at.x, at.z, at.z, [&](const std::vector<std::size_t>& cell) {
            for (const std::size_t k : cell) {
                if (k < firstTerrain_) continue;
                const CollisionPolygon& p = *polygons_[k];
                const double dA = p.plane.distance(top), dB = p.plane.distance(bottom);
                if (dA * dB >= 0.0) continue;
                const Vector3 q = top + (bottom - top) * (dA / (dA - dB));
                if (p.contains(q)) height = std::max(height.value_or(q.y), q.y);
            }
        });
        return height;
    }

    // The nearest wall of the static world (a polygon of the tree steeper
    // than 45 degrees) whose face the point stands within `reach` of.
    std::optional<Crossing> nearestWall(const Vector3& at, double reach)
    {
        std::optional<Crossing> found;
        ++stamp_;
        forCells(at.x - reach, at.x + reach, at.z - reach, at.z + reach,
                 [&](const std::vector<std::size_t>& cell) {
                     for (const std::size_t k : cell) {
                         if (k >= firstTerrain_ || seen_[k] == stamp_) continue;
                         seen_[k] = stamp_;
                         const CollisionPolygon& p = *polygons_[k];
                         if (std::fabs(p.plane.normal().y) > std::sqrt(0.5)) continue;
                         const std::optional<double> d = distanceTo(p, at);
                         if (d && *d < reach && (!found || *d < found->distance))
                             found = Crossing{*d, &p};
                     }
                 });
        return found;
    }

    double minX, maxX, minZ, maxZ, lowest;

private:
    static constexpr double cellSize = 2.0;

    // How far the point stands off the polygon's face: along the normal,
    // when its foot on the plane lies inside the polygon; past an edge or
    // a corner a probe along the way cannot see the polygon, so none.
    static std::optional<double> distanceTo(const CollisionPolygon& p, const Vector3& at)
    {
        const double off = p.plane.distance(at);
        if (!p.contains(at - p.plane.normal() * off)) return std::nullopt;
        return std::fabs(off);
    }

    template <typename Visit>
    void forCells(double x0, double x1, double z0, double z1, Visit visit) const
    {
        auto column = [&](double x) {
            return static_cast<int>(
                std::clamp(std::floor((x - minX) / cellSize), 0.0, columns_ - 1.0));
        };
        auto row = [&](double z) {
            return static_cast<int>(
                std::clamp(std::floor((z - minZ) / cellSize), 0.0, rows_ - 1.0));
        };
        for (int j = row(z0); j <= row(z1); ++j) {
            for (int i = column(x0); i <= column(x1); ++i) {
                visit(cells_[static_cast<std::size_t>(j * columns_ + i)]);
            }
        }
    }

    std::vector<const CollisionPolygon*> polygons_;
    std::size_t firstTerrain_ = 0;  // the terrain's triangles come after the tree's polygons
    std::vector<std::vector<std::size_t>> cells_;
    std::vector<std::uint32_t> seen_;
    std::uint32_t stamp_ = 0;
    int columns_ = 1, rows_ = 1;
};

// A solid block of a test world: a box turned about y by `turn` radians.
struct Solid {
    Vector3 centre, half;
    double turn = 0.0;

    bool holds(const Vector3& p) const
    {
        const Vector3 d = p - centre;
        const double c = std::cos(turn), s = std::sin(turn);
        const double x = c * d.x - s * d.z, z = s * d.x + c * d.z;
        // Deeper than the queries' tolerance: a point on a face is outside.
        constexpr double depth = planeEpsilon;
        return std::fabs(x) < half.x - depth && std::fabs(d.y) < half.y - depth &&
               std::fabs(z) < half.z - depth;
    }
};

// Nearer than this to a wall's face counts as on it: a probe that starts
// there does not count the face as crossed.
constexpr double onTheFace = planeEpsilon;

// One frame's inputs, kept for the failure message.
struct Inputs {
    bool w = false, a = false, s = false, d = false;
    bool up = false, down = false, left = false, right = false;
    bool space = false, control = false, alt = false;
    int mouseX = 0, mouseY = 0;
    double timeStep = 0.4;
};

std::string describe(const Inputs& in)
{
    std::ostringstream out;
    out << "keys:";
    const std::pair<bool, const char*> keys[] = {{in.w, " w"},         {in.a, " a"},
                                                 {in.s, " s"},         {in.d, " d"},
                                                 {in.up, " Up"},       {in.down, " Down"},
                                                 {in.left, " Left"},   {in.right, " Right"},
                                                 {in.space, " space"}, {in.control, " Control"},
                                                 {in.alt, " Alt"}};
    for (const auto& [down, name] : keys) {
        if (down) out << name;
    }
    out << "; mouse (" << in.mouseX << ", " << in.mouseY << "); timeStep " << in.timeStep;
    return out.str();
}

std::string describe(const Vector3& v)
{
    std::ostringstream out;
    out.precision(17);
    out << "(" << v.x << ", " << v.y << ", " << v.z << ")";
    return out.str();
}

// Runs the walks in a world from the given start points and returns the
// number of violations, each also reported as a failure; a walk ends at its
// first one, or quietly when the body leaves over the open top of the level.
int walk(World& world, const std::vector<Vector3>& starts, const std::string& name,
         std::uint64_t firstSeed, bool openAtTheTop, const std::vector<Solid>& solids = {})
{
    Surfaces surfaces(world);
    ProgramState& state = programState();
    int violations = 0;
    int overTheEdge = 0;

    // The head point the checks use: up to the head room, short of a ceiling.
    auto headPoint = [&](const Vector3& body) {
        const auto above = surfaces.nearest(body, body + Vector3{0, headRoom, 0});
        const double rise = above ? std::max(0.0, above->distance * 0.5) : headRoom;
        return body + Vector3{0, rise, 0};
    };
    // The update moves the head point in a few straight pieces (along the
    // step, along a wall, up or down), not along the straight line between
    // its ends, which may cut past a corner. A crossing counts when the
    // straight line and every way along the axes, one axis after another in
    // any order, all cross.
    auto everyRouteCrosses = [&](const Vector3& a, const Vector3& b, double rise) {
        // Along the step the head point may first climb or sink (a tilted
        // body, Control), then drop to the ground or rise: over the top of
        // what is between, or under it.
        for (const double level : {std::max(a.y, b.y) + rise, std::min(a.y, b.y) - rise}) {
            const Vector3 first{a.x, level, a.z};
            const Vector3 across{b.x, level, b.z};
            if (!surfaces.nearest(a, first) && !surfaces.nearest(first, across) &&
                !surfaces.nearest(across, b))
                return false;
        }
        std::array<int, 3> order{0, 1, 2};
        do {
            Vector3 at = a;
            bool crossed = false;
            for (const int axis : order) {
                Vector3 next = at;
                if (axis == 0) next.x = b.x;
                else if (axis == 1) next.y = b.y;
                else next.z = b.z;
                crossed = crossed || surfaces.nearest(at, next).has_value();
                at = next;
            }
            if (!crossed) return false;
        } while (std::next_permutation(order.begin(), order.end()));
        return true;
    };

    for (int n = 0; n < walkCount(); ++n) {
        const std::uint64_t seed = firstSeed + static_cast<std::uint64_t>(n);
        Random random(seed);
        state = ProgramState{};
        fakePlatform().controlDown = fakePlatform().altDown = false;
        Player player;
        player.placeAt(
            starts[static_cast<std::size_t>(random.below(static_cast<int>(starts.size())))]);
        player.setMouseCaptured(true, state);

        Inputs in;
        for (int frame = 0; frame < framesPerWalk; ++frame) {
            // Keys change every few frames; space is held, released and mashed.
            if (random.chance(0.25)) {
                in.w = random.chance(0.35);
                in.a = random.chance(0.2);
                in.s = random.chance(0.15);
                in.d = random.chance(0.2);
                in.up = random.chance(0.25);
                in.down = random.chance(0.2);
                in.left = random.chance(0.2);
                in.right = random.chance(0.2);
                in.control = random.chance(0.25);
                in.alt = random.chance(0.25);
            }
            if (random.chance(0.15)) in.space = true;
            else if (random.chance(0.1)) in.space = false;
            in.timeStep = random.chance(0.3) ? 1.6 : random.uniform(0.05, 1.6);
            in.mouseX = random.chance(0.2) ? random.below(81) - 40 : 0;
            in.mouseY = random.chance(0.1) ? random.below(41) - 20 : 0;

            auto set = [&](int code, bool down, int table) {
                state.keys.setKey(code, down, table);
            };
            set(playerKeys::forward, in.w, KeyState::characterTable);
            set(playerKeys::strafeLeft, in.a, KeyState::characterTable);
            set(playerKeys::backward, in.s, KeyState::characterTable);
            set(playerKeys::strafeRight, in.d, KeyState::characterTable);
            set(playerKeys::up, in.up, KeyState::specialTable);
            set(playerKeys::down, in.down, KeyState::specialTable);
            set(playerKeys::left, in.left, KeyState::specialTable);
            set(playerKeys::right, in.right, KeyState::specialTable);
            // A held space jumps once; setting it again is a new press.
            if (in.space && random.chance(0.5))
                set(playerKeys::jump, true, KeyState::characterTable);
            if (!in.space) set(playerKeys::jump, false, KeyState::characterTable);
            fakePlatform().controlDown = in.control;
            fakePlatform().altDown = in.alt;
            fakePlatform().cursor = {player.mouseReferenceX + in.mouseX,
                                     player.mouseReferenceY + in.mouseY};
            state.clock.timeStep = in.timeStep;

            const Vector3 before = player.placement.position();
            const Vector3 headBefore = headPoint(before);
            player.update(world, state);
            const Vector3 after = player.placement.position();

            std::string problem;
            const Vector3 headAfter = headPoint(after);
            const auto crossing = surfaces.nearest(headBefore, headAfter);
            const double stepLength = player.velocity.length() * in.timeStep;
            // The body's own straight way must cross too: the head point's
            // check height is a guess under a low ceiling.
            if (crossing && surfaces.nearest(before, after) &&
                everyRouteCrosses(headBefore, headAfter, stepLength)) {
                problem = "the head point went through a polygon facing " +
                          describe(crossing->polygon->plane.normal());
            } else if (after.x < surfaces.minX || after.x > surfaces.maxX ||
                       after.z < surfaces.minZ || after.z > surfaces.maxZ) {
                // Through nothing: over the top of the level's rim and off
                // the edge of the world, where the world is open.
                ++overTheEdge;
                break;
            } else if (after.y < surfaces.lowest) {
                problem = "the body fell below the level";
            } else if (std::any_of(solids.begin(), solids.end(), [&](const Solid& solid) {
                           return solid.holds(after) || solid.holds(headAfter);
                       })) {
                problem = "the body ended inside a wall";
            } else if (const auto face = surfaces.nearestWall(headAfter, onTheFace)) {
                problem = "the head point ended on the face of a wall facing " +
                          describe(face->polygon->plane.normal()) + ", " +
                          std::to_string(face->distance) + " from it";
            } else {
                const Vector3 deep{after.x, surfaces.lowest - 1.0, after.z};
                const auto below = surfaces.nearest(after, deep);
                if (!below) problem = "nothing under the body";
                else if (const auto ground = surfaces.terrainUnder(after);
                         ground && after.y < *ground)
                    problem = "the body is below the terrain, at " + std::to_string(*ground);
            }
            if (!problem.empty()) {
                ++violations;
                ADD_FAILURE() << name << ", seed " << seed << ", frame " << frame << ": " << problem
                              << "\n  " << describe(in) << "\n  from " << describe(before) << " to "
                              << describe(after) << ", tilt (up axis) "
                              << describe(transformPoint({0, 1, 0}, player.placement.transform()) -
                                          after);
                break;  // the rest of this walk starts from a broken state
            }
        }
    }
    std::printf("%s: %d walks of %d frames, %d left over the edge of the world\n", name.c_str(),
                walkCount(), framesPerWalk, overTheEdge);
    if (!openAtTheTop) {
        EXPECT_EQ(overTheEdge, 0) << name << " is closed on every side";
    }
    return violations;
}

TEST(PlayerChaosWalk, TheCanyonHoldsARestlessPlayer)
{
    content_test::LoadedCanyon canyon;
    ASSERT_TRUE(canyon.world) << lastWorldLoadProblem();
    const tools::CanyonLayout& layout = content_test::canyonWorld().layout;
    std::vector<Vector3> starts{canyon.world->playerStart, canyon.world->playerStart};
    for (const Vector3& ground : layout.openGround) starts.push_back(ground + Vector3{0, 0.3, 0});
    for (const Vector3& ground : layout.pillarTops) starts.push_back(ground + Vector3{0, 0.3, 0});
    for (const Vector3& ground : {layout.rampFoot, layout.ledge, layout.bridgeTop, layout.underArch,
                                  layout.ruinDoor, layout.ruinInside}) {
        starts.push_back(ground + Vector3{0, 0.3, 0});
    }
    EXPECT_EQ(walk(*canyon.world, starts, "canyon", 1000, false), 0);
}

// Rolling terrain inside four walls, with blocks to step on or be stopped
// by, and slabs overhead to walk under and jump into.
TEST(PlayerChaosWalk, ATerrainWorldHoldsARestlessPlayer)
{
    World world;
    constexpr int size = 33;
    constexpr double cell = 2.5, origin = -40.0;
    auto height = [](double x, double z) {
        return 2.0 * std::sin(x * 0.15) * std::cos(z * 0.11) + 0.8 * std::sin(x * 0.5 + z * 0.4);
    };
    world.add(geometry_test::makeField(
                  size, size, origin, origin, cell,
                  [&](int i, int j) { return height(origin + i * cell, origin + j * cell); }),
              EntityRole::terrain);

    // An axis-aligned box with its faces outwards (inwards for the walls).
    std::vector<Rectangle> rectangles;
    std::vector<Solid> solids;
    auto box = [&](Vector3 lo, Vector3 hi, int facing) {
        if (facing > 0) solids.push_back({(lo + hi) * 0.5, (hi - lo) * 0.5});
        const std::array<double, 3> l{lo.x, lo.y, lo.z}, h{hi.x, hi.y, hi.z};
        for (int axis = 0; axis < 3; ++axis) {
            rectangles.push_back({axis, l[static_cast<std::size_t>(axis)], -facing, l, h});
            rectangles.push_back({axis, h[static_cast<std::size_t>(axis)], facing, l, h});
        }
    };
    box({-39, -12, -39}, {39, 40, 39}, -1);  // the level's walls, floor and lid, facing in
    // Blocks as tall as a step, a ledge and a wall; slabs at head and jump height.
    const double blocks[][4] = {{-20, -12, 0.6, 4}, {-8, -14, 1.0, 3}, {6, -16, 3.0, 5},
                                {18, -4, 0.9, 6},   {-24, 10, 5.0, 3}, {4, 12, 0.4, 8},
                                {22, 20, 1.8, 3},   {-6, 24, 2.5, 2}};
    for (const auto& b : blocks) {
        const double ground = height(b[0], b[1]);
        box({b[0] - b[3], -11, b[1] - b[3]}, {b[0] + b[3], ground + b[2], b[1] + b[3]}, 1);
    }
    const double slabs[][4] = {
        {-16, -26, 1.9, 5}, {12, -26, 2.6, 4}, {29, 9, 3.4, 4}, {-28, 26, 2.2, 4}};
    for (const auto& s : slabs) {
        const double ground = height(s[0], s[1]);
        box({s[0] - s[3], ground + s[2], s[1] - s[3]},
            {s[0] + s[3], ground + s[2] + 0.5, s[1] + s[3]}, 1);
    }
    world.bspTree = geometry_test::buildBsp(rectangles);

    std::vector<Vector3> starts;
    for (const auto& s : slabs) starts.push_back({s[0], height(s[0], s[1]) + 0.3, s[1]});
    starts.push_back({0, height(0, 0) + 0.3, 0});
    starts.push_back({-30, height(-30, -30) + 0.3, -30});
    EXPECT_EQ(walk(world, starts, "terrain world", 5000, false, solids), 0);
}

// Smooth rolling ground as a modelling tool exports it: a 120 x 120-vertex
// grid of triangles from sines (no slope steeper than 27 degrees) with box
// walls on it, some turned, and tall ones all round, imported through
// `worldtool import` as a user would: the grid as terrain, and again as
// polygons in the BSP tree.
TEST(PlayerChaosWalk, AnImportedSmoothWorldHoldsARestlessPlayer)
{
    constexpr int vertices = 120;
    constexpr double edge = 59.5;  // the grid spans -edge..edge in x and z
    auto height = [](double x, double z) {
        return 1.8 * std::sin(0.12 * x) * std::cos(0.09 * z) + 0.6 * std::sin(0.3 * x + 0.25 * z);
    };
    std::ostringstream obj;
    obj.imbue(std::locale::classic());
    obj.precision(10);
    auto at = [&](int i, int j) { return Vector3{-edge + i, 0.0, edge - j}; };
    for (int j = 0; j < vertices; ++j) {
        for (int i = 0; i < vertices; ++i) {
            const Vector3 p = at(i, j);
            obj << "v " << p.x << ' ' << height(p.x, p.z) << ' ' << p.z << '\n';
        }
    }
    auto index = [&](int i, int j) { return j * vertices + i + 1; };
    for (int j = 0; j + 1 < vertices; ++j) {
        for (int i = 0; i + 1 < vertices; ++i) {
            obj << "f " << index(i, j) << ' ' << index(i + 1, j) << ' ' << index(i + 1, j + 1)
                << "\nf " << index(i, j) << ' ' << index(i + 1, j + 1) << ' ' << index(i, j + 1)
                << '\n';
        }
    }
    // Boxes: centre x and z, length along their turned x, thickness, height
    // above the highest ground under them, turn in radians. The walls round
    // the level stand higher than a jump from the top of any other carries.
    const double walls[][6] = {
        {0, edge - 1, 2 * edge, 2, 60, 0}, {0, 1 - edge, 2 * edge, 2, 60, 0},
        {edge - 1, 0, 2, 2 * edge, 60, 0}, {1 - edge, 0, 2, 2 * edge, 60, 0},
        {-28, -18, 22, 2, 4, 0},           {12, 16, 2, 26, 3, 0.3},
        {26, -30, 18, 2, 5, 1.1},          {-16, 30, 2, 2, 6, 0},
        {-38, 12, 10, 2, 2.5, 0.7},        {30, 34, 14, 2, 3.5, -0.4},
    };
    constexpr int faces[6][4] = {{0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4},
                                 {1, 5, 7, 3}, {0, 1, 3, 2}, {4, 6, 7, 5}};
    int next = vertices * vertices + 1;
    std::vector<Solid> solids;
    for (const auto& w : walls) {
        const double c = std::cos(w[5]), s = std::sin(w[5]);
        auto corner = [&](int k, double y) {
            const double lx = (k & 1 ? 0.5 : -0.5) * w[2], lz = (k & 4 ? -0.5 : 0.5) * w[3];
            return Vector3{w[0] + c * lx + s * lz, y, w[1] - s * lx + c * lz};
        };
        double low = 1e9, high = -1e9;
        for (double u = 0; u <= 1.0; u += 0.05) {
            for (double v = 0; v <= 1.0; v += 0.25) {
                const Vector3 a = corner(0, 0), b = corner(1, 0), d = corner(4, 0);
                const Vector3 p = a + (b - a) * u + (d - a) * v;
                low = std::min(low, height(p.x, p.z));
                high = std::max(high, height(p.x, p.z));
            }
        }
        solids.push_back({{w[0], (low - 1.0 + high + w[4]) / 2, w[1]},
                          {w[2] / 2, (high + w[4] - low + 1.0) / 2, w[3] / 2},
                          w[5]});
        for (int k = 0; k < 8; ++k) {
            const Vector3 p = corner(k, k & 2 ? high + w[4] : low - 1.0);
            obj << "v " << p.x << ' ' << p.y << ' ' << p.z << '\n';
        }
        for (const auto& f : faces) {
            obj << "f " << next + f[0] << ' ' << next + f[1] << ' ' << next + f[2] << "\nf "
                << next + f[0] << ' ' << next + f[2] << ' ' << next + f[3] << '\n';
        }
        next += 8;
    }

    TempDir folder;
    const std::string model = folder.write("smooth.obj", obj.str());
    for (const bool heightField : {true, false}) {
        SCOPED_TRACE(heightField ? "ground as a HeightField" : "ground in the BSP tree");
        const std::string path = folder.file("Worlds/smooth.wrl");
        tools::ImportOptions options;
        options.start = Vector3{0.5, height(0.5, 0.5) + 0.3, 0.5};
        options.heightFields = heightField;
        std::ostringstream report, errors;
        ASSERT_EQ(tools::runImportCommand({model, path, options}, report, errors), 0)
            << errors.str();
        const std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::current_path(folder.path() / "Worlds");
        std::unique_ptr<World> world = loadWorld("smooth.wrl", true);
        std::filesystem::current_path(previous);
        ASSERT_TRUE(world) << lastWorldLoadProblem();
        ASSERT_EQ(world->bspTree.root()->polygonCount() < 1000, heightField);

        std::vector<Vector3> starts{world->playerStart};
        for (const auto& [x, z] :
             {std::pair{-44.5, -44.5}, std::pair{44.5, 44.5}, std::pair{40.5, -46.5},
              std::pair{-46.5, 40.5}, std::pair{-4.5, -30.5}, std::pair{30.5, 4.5}}) {
            starts.push_back({x, height(x, z) + 0.3, z});
        }
        EXPECT_EQ(walk(*world, starts, "imported smooth world", 9000, false, solids), 0);
    }
}

}  // namespace
