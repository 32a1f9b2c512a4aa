#include "entities/Rocket.h"

#include "entities/RobotDrone.h"
#include "geometry/Polygon.h"
#include "world/FrameContext.h"
#include "world/World.h"

#include <cstring>

namespace {

constexpr int reloadMilliseconds = 5000;
constexpr double launchSpeed = 5.0;  // per unit of the firing frame's timeStep
constexpr double reachBeyondStep = 0.5;
// The burst: thirty orange-yellow particles.
constexpr int burstCount = 30;
constexpr double burstSize = 0.3;
constexpr double burstSpeed = 1.0;

struct MeshVertex {
    int polygon;
    Vertex vertex;  // position, normal, texture coordinates; white
};

// A pyramid with its tip at (0, 0, -0.5) and a diamond base at z = 0.3.
constexpr MeshVertex mesh[] = {
    {0, {{0, 0, -0.5}, {0, 0, -1}, 0.5, 0.5}}, {0, {{-0.3, 0, 0.3}, {-1, 0, 0}, 0, 0.5}},
    {0, {{0, 0.3, 0.3}, {0, 1, 0}, 0.5, 0}},   {1, {{0, 0, -0.5}, {0, 0, -1}, 0.5, 0.5}},
    {1, {{0, 0.3, 0.3}, {0, 1, 0}, 0.5, 0}},   {1, {{0.3, 0, 0.3}, {1, 0, 0}, 1, 0.5}},
    {2, {{0, 0, -0.5}, {0, 0, -1}, 0.5, 0.5}}, {2, {{0.3, 0, 0.3}, {1, 0, 0}, 1, 0.5}},
    {2, {{0, -0.3, 0.3}, {0, -1, 0}, 0.5, 1}}, {3, {{0, 0, -0.5}, {0, 0, -1}, 0.5, 0.5}},
    {3, {{0, -0.3, 0.3}, {0, -1, 0}, 0.5, 1}}, {3, {{-0.3, 0, 0.3}, {-1, 0, 0}, 0, 0.5}},
    {4, {{0, -0.3, 0.3}, {0, 0, 1}, 0.5, 1}},  {4, {{0.3, 0, 0.3}, {0, 0, 1}, 1, 0.5}},
    {4, {{0, 0.3, 0.3}, {0, 0, 1}, 0.5, 0}},   {4, {{-0.3, 0, 0.3}, {0, 0, 1}, 0, 0.5}},
};
constexpr int meshPolygons = 5;

}  // namespace

Rocket::Rocket(Texture* meshTexture, Texture* burstTexture) : effects(burstTexture)
{
    polygons.resize(meshPolygons);
    for (Polygon& polygon : polygons) polygon.texture = meshTexture;
    for (const MeshVertex& v : mesh) {
        polygons[static_cast<std::size_t>(v.polygon)].vertices.push_back(v.vertex);
    }
    takeRestShape();
    effects.particles.reserve(burstCount);  // no frame allocates them
    for (const Vertex& v : restVertices) {
        if (!boundingBox) boundingBox = BoundingBox::at(v.position);
        else boundingBox->include(v.position);
    }
}

bool Rocket::launch(const Placement& from, double timeStep)
{
    if (state != Ready) return false;
    velocity = {0.0, 0.0, -launchSpeed * timeStep};
    state = Flying;
    placement = from;
    stateTimer = reloadMilliseconds;
    return true;
}

void Rocket::explode(double timeStep)
{
    velocity = {};
    effects.spawn(burstCount, {}, position(), burstSize, burstSpeed, 1.0, 0.7, 0.0, timeStep);
    state = Exploded;
}

void Rocket::update(const FrameContext& frame)
{
    // Ready again 5000 ms after the launch, whether it burst or not.
    if (state != Ready && stateTimer > 0) {
        stateTimer -= frame.frameMilliseconds;
        if (stateTimer <= 0) {
            stateTimer = 0;
            if (state == Flying || state == Exploded) state = Ready;
        }
    }

    if (state == Flying) {
        const double speed = velocity.length();
        if (speed <= planeEpsilon) {
            translate(velocity);
        } else {
            // The probe reaches half a unit beyond where this frame's step ends.
            const Vector3 from = position();
            Vector3 direction = transformPoint(velocity, placement.transform()) - from;
            const double length = direction.length();
            if (length > planeEpsilon) direction /= length;
            const Vector3 reach = from + direction * (speed + reachBeyondStep);
            if (Object* target = frame.world.findObjectOnSegment(from, reach, this)) {
                translate(velocity);
                explode(frame.timeStep);
                // The class name promises the type.
                if (std::strcmp(target->className(), "RobotDrone") == 0) {
                    static_cast<RobotDrone*>(target)->setState(RobotDrone::Destroyed,
                                                               frame.timeStep);
                }
            } else if (const std::optional<TraceHit> wall = frame.world.traceSegment(from, reach)) {
                // Half a unit short of the surface; back, when it is nearer.
                translate(velocity / speed * (wall->distance - reachBeyondStep));
                explode(frame.timeStep);
            } else {
                translate(velocity);
            }
        }
    }

    DynamicObject::update(frame);
    effects.update(frame.world, frame.timeStep);
}

void Rocket::draw(DrawMode drawMode, const FrameContext& frame)
{
    if (state == Flying) Object::draw(drawMode, frame);
    effects.draw(drawMode, frame.camera);
}
