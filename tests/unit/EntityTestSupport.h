#pragma once

// Shared by the moving-entity tests: worlds of axis-aligned walls, the
// frame context of the program state, and DynamicObject records.

#include "GeometryTestSupport.h"
#include "WorldTestFiles.h"

#include "entities/DynamicObject.h"
#include "state/ProgramState.h"
#include "world/FrameContext.h"
#include "world/World.h"

#include <memory>
#include <string>
#include <vector>

namespace entity_test {

using geometry_test::Rectangle;

// A wall in the plane x[axis] = at, facing +axis (facing 1) or -axis,
// `half` units each way on the other axes.
inline Rectangle wall(int axis, double at, int facing, double half = 50.0)
{
    Rectangle r;
    r.axis = axis;
    r.at = at;
    r.facing = facing;
    r.lo = {-half, -half, -half};
    r.hi = {half, half, half};
    return r;
}

inline std::unique_ptr<World> worldOf(std::vector<Rectangle> walls)
{
    auto world = std::make_unique<World>();
    world->bspTree = geometry_test::buildBsp(std::move(walls));
    return world;
}

// One frame of the program state's settings, camera and keys.
inline FrameContext frameIn(World& world, double timeStep = 0.4, int milliseconds = 25)
{
    ProgramState& s = programState();
    return FrameContext{.timeStep = timeStep,
                        .frameMilliseconds = milliseconds,
                        .wallMilliseconds = 0,
                        .settings = s.settings,
                        .camera = s.camera,
                        .keys = s.keys,
                        .world = world,
                        .rider = nullptr};
}

// An untextured square polygon record of side 2 in the plane z = 0.
inline std::string squareRecord(worldtest::Colour colour = {})
{
    return worldtest::polygonRecord("none", {0, 0, 1},
                                    {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}}, colour);
}

// The record after the keyword: position, box corners, behaviour and polygons.
inline std::string dynamicRecord(const Vector3& p, const std::string& behaviour,
                                 const std::vector<std::string>& polygons,
                                 const Vector3& cornerA = {-1, -1, -1},
                                 const Vector3& cornerB = {1, 1, 1})
{
    std::ostringstream s;
    s << p.x << ' ' << p.y << ' ' << p.z << ' ' << cornerA.x << ' ' << cornerA.y << ' ' << cornerA.z
      << ' ' << cornerB.x << ' ' << cornerB.y << ' ' << cornerB.z << ' ' << behaviour << ' '
      << polygons.size() << '\n';
    for (const std::string& polygon : polygons) s << polygon;
    return s.str();
}

template <typename Entity, typename Reader>
std::unique_ptr<Entity> readAs(Reader reader, const std::string& text, World& world)
{
    TokenReader in(text);
    std::unique_ptr<Object> object = reader(in, world);
    return std::unique_ptr<Entity>(static_cast<Entity*>(object.release()));
}

inline Vector3 positionOf(const Vertex& v) { return v.position; }

inline bool near(const Matrix4& a, const Matrix4& b, double tolerance = 1e-9)
{
    for (int i = 0; i < 16; ++i)
        if (std::fabs(a[i] - b[i]) > tolerance) return false;
    return true;
}

}  // namespace entity_test
