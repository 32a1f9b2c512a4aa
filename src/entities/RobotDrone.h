#pragma once

#include "entities/DynamicObject.h"
#include "entities/ParticleEffect.h"

// The target of the game: a DynamicObject that the rocket destroys in a
// burst of particles and that comes back at its starting point, facing the
// world's -z, ten seconds of play later.
class RobotDrone : public DynamicObject {
public:
    enum State : int { Active = 0, Destroyed = 1 };

    void update(const FrameContext& frame) override;
    // The polygons while active; the particles always.
    void draw(DrawMode drawMode, const FrameContext& frame) override;
    const char* className() const override { return "RobotDrone"; }

    // Nothing for the state it is in. Destroyed: a burst where it stands
    // (moving at the given time step) and the timer set; Active: back home.
    void setState(int newState, double timeStep);

    Vector3 homePosition;  // the file's position
    int stateTimer = 0;    // milliseconds of play left while destroyed
    int state = Active;
    ParticleEffect effects;
};

// The DynamicObject record; the particles' texture comes from the world's cache.
std::unique_ptr<Object> readRobotDrone(TokenReader& in, World& world);
