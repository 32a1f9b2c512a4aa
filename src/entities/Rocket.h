#pragma once

#include "entities/DynamicObject.h"
#include "entities/ParticleEffect.h"

class Texture;

// The player's one weapon: a small pyramid that flies straight from where
// it was launched, bursts at the first moving object or surface in its way,
// destroys a drone it hits, and is ready again five seconds of play after
// each launch whatever happened. Not one of the world's objects: the player
// updates and draws it, handing it the current world each frame.
class Rocket : public DynamicObject {
public:
    enum State : int { Flying = 0, Exploded = 1, Ready = 2 };

    // The mesh's texture and the burst's, both owned by a texture cache.
    Rocket(Texture* meshTexture, Texture* burstTexture);

    void update(const FrameContext& frame) override;
    // The mesh in flight; the particles always.
    void draw(DrawMode drawMode, const FrameContext& frame) override;
    // Reports itself as a plain DynamicObject.

    // Starts a flight from the given placement when ready, at 5 x timeStep
    // a frame for the whole flight; otherwise does nothing. True if launched.
    bool launch(const Placement& from, double timeStep);

    Vector3 velocity;    // per frame, in the rocket's own coordinates
    int stateTimer = 0;  // milliseconds until ready; counts only while positive
    int state = Ready;
    ParticleEffect effects;

private:
    void explode(double timeStep);
};

// The mesh's texture, from the cache of the world current when it is built.
inline constexpr const char* rocketTextureName = "..\\Textures\\cement-1.bmp";
