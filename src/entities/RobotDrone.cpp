#include "entities/RobotDrone.h"

#include "textures/TextureCache.h"
#include "world/FrameContext.h"
#include "world/World.h"

namespace {

constexpr int destroyedMilliseconds = 10000;
// The burst: forty red-orange particles.
constexpr int burstCount = 40;
constexpr double burstSize = 0.5;
constexpr double burstSpeed = 1.2;

}  // namespace

void RobotDrone::setState(int newState, double timeStep)
{
    if (newState == state) return;
    if (newState == Active) {
        // Home again, facing as it started, whatever turns it had made.
        placement = Placement::at(homePosition);
    } else if (newState == Destroyed) {
        effects.spawn(burstCount, {}, position(), burstSize, burstSpeed, 1.0, 0.2, 0.0, timeStep);
        stateTimer = destroyedMilliseconds;
    }
    state = newState;
}

void RobotDrone::update(const FrameContext& frame)
{
    if (state == Active) {
        DynamicObject::update(frame);
    } else if (state == Destroyed) {
        // Its polygons and box stay where it was destroyed until it returns.
        stateTimer -= frame.frameMilliseconds;
        if (stateTimer <= 0) {
            stateTimer = 0;
            setState(Active, frame.timeStep);
            DynamicObject::update(frame);
        }
    }
    effects.update(frame.world, frame.timeStep);
}

void RobotDrone::draw(DrawMode drawMode, const FrameContext& frame)
{
    if (state == Active) Object::draw(drawMode, frame);
    effects.draw(drawMode, frame.camera);
}

std::unique_ptr<Object> readRobotDrone(TokenReader& in, World& world)
{
    auto drone = std::make_unique<RobotDrone>();
    if (!readDynamicRecord(in, world, *drone)) return nullptr;
    drone->homePosition = drone->position();
    drone->effects.texture = world.textures.findOrLoad(burstTextureName);
    // The burst's particles exist from the start, so no frame allocates them.
    drone->effects.particles.reserve(burstCount);
    return drone;
}
