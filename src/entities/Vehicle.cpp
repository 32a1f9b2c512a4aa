#include "entities/Vehicle.h"

#include "state/KeyState.h"
#include "world/FrameContext.h"

std::unique_ptr<Object> readVehicle(TokenReader& in, World&)
{
    auto vehicle = std::make_unique<Vehicle>();
    Vector3 position;
    double range = 0.0;
    Vector3& s = vehicle->scale;
    if (!(in.readDouble(s.x) && in.readDouble(s.y) && in.readDouble(s.z) &&
          in.readDouble(position.x) && in.readDouble(position.y) && in.readDouble(position.z) &&
          in.readDouble(range))) {
        return nullptr;
    }
    vehicle->enterRangeSquared = range * range;
    vehicle->placement.translate(position);
    return vehicle;
}

void Vehicle::update(const FrameContext& frame)
{
    KeyState& keys = frame.keys;
    Rider* rider = frame.rider;
    if (!rider || !keys.isKeyDown(enterKey, KeyState::characterTable)) return;

    if (occupied) {
        *rider->vehicle = nullptr;
        // Beside the vehicle, but short of a wall or anything else there.
        rider->setDown(stepOff, frame);
        occupied = false;
    } else {
        // Aboard another vehicle, or out of range: the key stays down, so
        // walking into range with Enter held boards at once.
        if (*rider->vehicle) return;
        const Vector3 d = placement.position() - rider->placement->position();
        if (d.dot(d) > enterRangeSquared) return;
        *rider->placement = placement;
        *rider->vehicle = this;
        occupied = true;
    }
    // One press, one transition: the same press cannot also leave.
    keys.setKey(enterKey, false, KeyState::characterTable);
}
